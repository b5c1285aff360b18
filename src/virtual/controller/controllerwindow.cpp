// SPDX-License-Identifier: MIT
#include "controllerwindow.h"

#include "rollview.h"

#include "virtual/live/livecontroller.h"
#include "virtual/paper.h"
#include "virtual/paperpng.h"
#include "virtual/receiptpdf.h"
#include "virtual/receiptrecord.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

namespace {

constexpr int repaintMs = 40;
constexpr int traceLinesKept = 20000;
constexpr int buzzerShownMs = 3000;

QString parityName(Virtual::LineSettings::Parity parity)
{
    using Parity = Virtual::LineSettings::Parity;
    switch (parity) {
    case Parity::None:
        return ControllerWindow::tr("no parity");
    case Parity::Even:
        return ControllerWindow::tr("even parity");
    case Parity::Odd:
        return ControllerWindow::tr("odd parity");
    case Parity::Mark:
        return ControllerWindow::tr("mark parity");
    case Parity::Space:
        return ControllerWindow::tr("space parity");
    }
    return {};
}

// LineSettings::flowName() is for the trace, which stays English; the names of the two kinds
// of flow control are the same in every language.
QString flowName(Virtual::LineSettings::Flow flow)
{
    using Flow = Virtual::LineSettings::Flow;
    switch (flow) {
    case Flow::None:
        return ControllerWindow::tr("no flow control");
    case Flow::XonXoff:
        return QStringLiteral("XON/XOFF");
    case Flow::Hardware:
        return QStringLiteral("RTS/CTS");
    }
    return {};
}

} // namespace

ControllerWindow::ControllerWindow(Virtual::LiveController *controller, QWidget *parent)
    : QMainWindow(parent),
      m_controller(controller),
      m_roll(new RollView(controller)),
      m_rollArea(new QScrollArea),
      m_trace(new QPlainTextEdit),
      m_status(new QLabel),
      m_printerStatus(new QLabel)
{
    setWindowTitle(tr("Tessivar Virtual Controller - %1").arg(controller->devicePath()));

    setUpRollArea();
    setUpTrace();
    auto *splitter = new QSplitter;
    splitter->addWidget(m_rollArea);
    splitter->addWidget(m_trace);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(m_status, 1);
    m_status->setObjectName(QStringLiteral("lineStatus"));
    // Beside the line settings, and still there while a message covers them.
    m_printerStatus->setObjectName(QStringLiteral("printerStatus"));
    statusBar()->addPermanentWidget(m_printerStatus);

    addExportActions();
    addRollActions();
    addPrinterActions();
    followController();
    showPrinter();

    showNewPaper();
    resize(1100, 720);
}

void ControllerWindow::setUpRollArea()
{
    m_rollArea->setWidget(m_roll);
    m_rollArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_rollArea->setBackgroundRole(QPalette::Dark);
    // Scrolled to the newest line whenever the roll grows.
    connect(m_rollArea->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this](int, int maximum) { m_rollArea->verticalScrollBar()->setValue(maximum); });
}

void ControllerWindow::setUpTrace()
{
    m_trace->setReadOnly(true);
    m_trace->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_trace->setMaximumBlockCount(traceLinesKept);
    m_trace->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The trace follows its newest line as the roll does, until the user scrolls it away from
    // the end; scrolled back to the end, it follows again.
    QScrollBar *traceBar = m_trace->verticalScrollBar();
    connect(traceBar, &QScrollBar::valueChanged, this,
            [this, traceBar](int value) { m_traceFollows = value >= traceBar->maximum(); });
    connect(traceBar, &QScrollBar::rangeChanged, this, [this, traceBar](int, int maximum) {
        if (m_traceFollows)
            traceBar->setValue(maximum);
    });
}

// Save, Clear and Quit in the Roll menu; Save and Clear on the tool bar as well.
void ControllerWindow::addRollActions()
{
    auto *save = new QAction(tr("&Save Roll as PNG..."), this);
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &ControllerWindow::saveRoll);
    auto *clear = new QAction(tr("&Clear"), this);
    clear->setToolTip(tr("Start a fresh roll"));
    connect(clear, &QAction::triggered, this, &ControllerWindow::clearRoll);
    auto *quit = new QAction(tr("&Quit"), this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *roll = menuBar()->addMenu(tr("&Roll"));
    roll->addAction(save);
    roll->addAction(clear);
    roll->addSeparator();
    roll->addAction(quit);
    QToolBar *tools = addToolBar(tr("Roll"));
    tools->setObjectName(QStringLiteral("rollToolBar"));
    tools->addAction(save);
    tools->addAction(clear);
}

QAction *ControllerWindow::addPrinterToggle(const QString &text, const char *name)
{
    auto *action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    return action;
}

// The paper (OK, near its end, out: one of them), the cover and the drawer, in the Printer menu
// and on its tool bar. Each sets the printer's state; showPrinter() checks them as it is.
void ControllerWindow::addPrinterActions()
{
    Virtual::PrinterState &printer = m_controller->printer();
    using Paper = Virtual::PrinterState::Paper;
    auto *paper = new QActionGroup(this);
    const auto addPaper = [&](const QString &text, const char *name, Paper state) {
        QAction *action = addPrinterToggle(text, name);
        paper->addAction(action);
        connect(action, &QAction::triggered, this, [&printer, state] { printer.setPaper(state); });
        return action;
    };
    m_paperOk = addPaper(tr("Paper OK"), "actionPaperOk", Paper::Ok);
    m_paperNearEnd = addPaper(tr("Paper Near End"), "actionPaperNearEnd", Paper::NearEnd);
    m_paperOut = addPaper(tr("Paper Out"), "actionPaperOut", Paper::Out);
    m_coverOpen = addPrinterToggle(tr("Cover Open"), "actionCoverOpen");
    connect(m_coverOpen, &QAction::triggered, &printer, &Virtual::PrinterState::setCoverOpen);
    m_drawerOpen = addPrinterToggle(tr("Drawer Open"), "actionDrawerOpen");
    connect(m_drawerOpen, &QAction::triggered, &printer, &Virtual::PrinterState::setDrawerOpen);

    QMenu *menu = menuBar()->addMenu(tr("&Printer"));
    menu->addActions(paper->actions());
    menu->addSeparator();
    menu->addAction(m_coverOpen);
    menu->addAction(m_drawerOpen);
    QToolBar *tools = addToolBar(tr("Printer"));
    tools->setObjectName(QStringLiteral("printerToolBar"));
    tools->addActions(paper->actions());
    tools->addSeparator();
    tools->addAction(m_coverOpen);
    tools->addAction(m_drawerOpen);
}

// File > Export: the last receipt or the whole roll as PDF, at the head's width in millimetres.
void ControllerWindow::addExportActions()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QMenu *exportMenu = file->addMenu(tr("&Export"));
    QAction *receipt =
        exportMenu->addAction(tr("Last &Receipt as PDF..."), this, [this] { exportPdf(false); });
    receipt->setEnabled(false);
    exportMenu->addAction(tr("Whole R&oll as PDF..."), this, [this] { exportPdf(true); });
    connect(m_controller, &Virtual::LiveController::receiptEnded, this,
            [this, receipt](const Virtual::ReceiptRecord &ended) {
                m_receiptFrom = ended.fromRow();
                m_receiptTo = ended.toRow();
                receipt->setEnabled(m_receiptTo > m_receiptFrom);
            });
}

void ControllerWindow::exportPdf(bool wholeRoll)
{
    const QString title = wholeRoll ? tr("Export Roll as PDF") : tr("Export Receipt as PDF");
    const QString path = QFileDialog::getSaveFileName(
        this, title, wholeRoll ? QStringLiteral("roll.pdf") : QStringLiteral("receipt.pdf"),
        tr("PDF documents (*.pdf)"));
    if (path.isEmpty())
        return;
    const Virtual::GreyImage picture =
        wholeRoll ? m_controller->paperImage()
                  : m_controller->paper().image(m_receiptFrom, m_receiptTo);
    QString error;
    if (!Virtual::writePdf(path, {picture}, &error))
        QMessageBox::warning(this, title, tr("Cannot write %1.").arg(path));
}

// The paper, the trace and the status line follow what the controller reports.
void ControllerWindow::followController()
{
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(repaintMs);
    connect(&m_repaint, &QTimer::timeout, this, &ControllerWindow::showNewPaper);
    connect(m_controller, &Virtual::LiveController::paperChanged, this, [this] {
        if (!m_repaint.isActive())
            m_repaint.start();
    });
    connect(m_controller, &Virtual::LiveController::traced, this, &ControllerWindow::appendTrace);
    connect(m_controller, &Virtual::LiveController::lineChanged, this,
            &ControllerWindow::showStatus);
    connect(&m_controller->printer(), &Virtual::PrinterState::changed, this,
            &ControllerWindow::showPrinter);
    connect(m_controller, &Virtual::LiveController::buzzed, this, &ControllerWindow::showBuzzer);
}

void ControllerWindow::showNewPaper()
{
    m_roll->refresh();
    // The whole width of the paper stays in view (an 80 mm head widens it).
    m_rollArea->setMinimumWidth(m_roll->width() +
                                m_rollArea->verticalScrollBar()->sizeHint().width() +
                                2 * m_rollArea->frameWidth());
    showStatus();
}

void ControllerWindow::appendTrace(const QString &lines)
{
    m_trace->appendPlainText(lines.endsWith(QLatin1Char('\n')) ? lines.chopped(1) : lines);
}

void ControllerWindow::showStatus()
{
    const Virtual::LineSettings host = m_controller->hostLine();
    const Virtual::LineSettings own = m_controller->controllerLine();
    QStringList parts;
    parts << tr("Host: %1 bit/s, %2 data bits, %3, %4, %5")
                 .arg(host.bitsPerSecond)
                 .arg(host.dataBits)
                 .arg(parityName(host.parity),
                      host.stopBits == 2 ? tr("2 stop bits") : tr("1 stop bit"),
                      flowName(host.flow));
    parts << tr("Controller: %1 bit/s, %2, %3")
                 .arg(own.bitsPerSecond)
                 .arg(own.frame(), flowName(own.flow));
    parts << tr("receive buffer %1/%2")
                 .arg(m_controller->bufferFill())
                 .arg(Virtual::LiveController::receiveBufferSize);
    if (!m_controller->settingsMatch())
        parts << tr("SETTINGS DO NOT MATCH");
    if (m_controller->hostStopped())
        parts << tr("host stopped by XOFF");
    if (m_controller->sleeping())
        parts << tr("sleeping");
    if (!m_controller->listenAddress().isEmpty()) {
        parts << (m_controller->clientAddress().isEmpty()
                      ? tr("listening on %1, no client").arg(m_controller->listenAddress())
                      : tr("listening on %1, client %2: %3 bytes")
                            .arg(m_controller->listenAddress(), m_controller->clientAddress())
                            .arg(m_controller->clientBytes()));
    }
    m_status->setText(parts.join(QStringLiteral("  |  ")));
}

void ControllerWindow::showPrinter()
{
    const Virtual::PrinterState &printer = m_controller->printer();
    using Paper = Virtual::PrinterState::Paper;
    m_paperOk->setChecked(printer.paper() == Paper::Ok);
    m_paperNearEnd->setChecked(printer.paper() == Paper::NearEnd);
    m_paperOut->setChecked(printer.paper() == Paper::Out);
    m_coverOpen->setChecked(printer.coverOpen());
    m_drawerOpen->setChecked(printer.drawerOpen());

    const QString paper = printer.paper() == Paper::Ok        ? tr("paper OK")
                          : printer.paper() == Paper::NearEnd ? tr("paper near end")
                                                              : tr("paper out");
    const QString text =
        QStringList{paper, printer.coverOpen() ? tr("cover open") : tr("cover closed"),
                    printer.drawerOpen() ? tr("drawer open") : tr("drawer closed")}
            .join(QStringLiteral(", "));
    // Offline, the printer prints nothing: that must not go unseen.
    m_printerStatus->setText(printer.offline() ? tr("OFFLINE: %1").arg(text) : text);
    m_printerStatus->setStyleSheet(
        printer.offline() ? QStringLiteral("font-weight: bold; color: red;") : QString());
}

void ControllerWindow::showBuzzer(int times)
{
    statusBar()->showMessage(tr("Buzzer x%1").arg(times), buzzerShownMs);
}

void ControllerWindow::saveRoll()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save Roll as PNG"), QStringLiteral("roll.png"), tr("PNG images (*.png)"));
    if (path.isEmpty())
        return;
    if (!Virtual::PaperPng::write(m_controller->paperImage(), path))
        QMessageBox::warning(this, tr("Save Roll as PNG"), tr("Cannot write %1.").arg(path));
}

void ControllerWindow::clearRoll()
{
    m_controller->clearPaper();
    m_trace->clear();
    m_roll->refresh();
}
