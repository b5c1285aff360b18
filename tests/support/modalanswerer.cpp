#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

ModalAnswerer::ModalAnswerer(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

ModalAnswerer::~ModalAnswerer() = default;

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    // A box that is being closed may still be the active modal widget for a moment.
    if (modal == m_last)
        return;

    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        m_last = modal;
        m_seen.append({QString::fromLatin1(modal->metaObject()->className()), box->windowTitle(),
                       box->text()});
        if (QAbstractButton *escape = box->escapeButton())
            escape->click();
        else if (!box->buttons().isEmpty())
            box->buttons().constFirst()->click();
        else
            box->done(0);
        return;
    }
    if (m_handler && m_handler(modal)) {
        m_last = modal;
        m_seen.append({QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(),
                       QString()});
    }
}
