// SPDX-License-Identifier: MIT
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
    // A widget that is being closed may still be the active modal widget for a moment; once it
    // is hidden it may be shown again (a dialog run a second time) and is answered again. The
    // guarded pointer also forgets a deleted widget whose address a new one may reuse.
    if (m_last && !m_last->isVisible())
        m_last = nullptr;
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_last)
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
