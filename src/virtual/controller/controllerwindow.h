// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <QTimer>

class QAction;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class RollView;

namespace Virtual {
class LiveController;
}

// The virtual controller's window: the paper roll as it grows, beside the trace of what the
// controller made of the bytes, and a status line with both ends' line settings. All it shows
// comes from the LiveController; the window only draws it. The Printer menu and tool bar set the
// paper, the cover and the drawer, and follow them however they change; the status line ends
// with them, and says OFFLINE when the printer is.
class ControllerWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit ControllerWindow(Virtual::LiveController *controller, QWidget *parent = nullptr);

private:
    void setUpRollArea();
    void setUpTrace();
    void addRollActions();
    void addPrinterActions();
    QAction *addPrinterToggle(const QString &text, const char *name);
    void addExportActions();
    void exportPdf(bool wholeRoll);
    void followController();
    void saveRoll();
    void clearRoll();
    void showStatus();
    void showPrinter();
    void showBuzzer(int times);
    void appendTrace(const QString &lines);
    void showNewPaper();

    Virtual::LiveController *m_controller;
    RollView *m_roll;
    QScrollArea *m_rollArea;
    QPlainTextEdit *m_trace;
    bool m_traceFollows = true;
    QLabel *m_status;
    QLabel *m_printerStatus;
    QAction *m_paperOk = nullptr;
    QAction *m_paperNearEnd = nullptr;
    QAction *m_paperOut = nullptr;
    QAction *m_coverOpen = nullptr;
    QAction *m_drawerOpen = nullptr;
    // The rows of the receipt that ended last, for File > Export; empty before the first.
    int m_receiptFrom = 0;
    int m_receiptTo = 0;
    // The paper (and the fill of the receive buffer) changes with every piece the engine
    // prints; the view follows 25 times a second.
    QTimer m_repaint;
};
