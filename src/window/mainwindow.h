// SPDX-License-Identifier: MIT
#pragma once

#include "commands/commandset.h"

#include <QImage>
#include <QMainWindow>
#include <QSerialPort>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

class Console;
class QLabel;
class QProgressBar;
class QTimer;
class SettingsDialog;

namespace Jobs {
struct BarcodeJob;
struct BarcodeTextJob;
struct CutJob;
struct FixedJob;
struct PrintHeadJob;
struct ReceiptJob;
} // namespace Jobs

namespace Ui {
class MainWindow;
}

// The one window of Tessivar. It owns the serial port to the controller and the console pane;
// each button queues a canned job of controller commands and writes an account of it into the
// console. The command language itself lives in CommandSet, the sample data in the core library.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Chooses the serial port at `path` in the settings, so that Connect opens it.
    void choosePort(const QString &path);

private Q_SLOTS:
    // Image loading (image/).
    void open();
    bool loadFile(const QString &fileName);

    // The serial link (serial/).
    void openSerialPort();
    void closeSerialPort();
    void about();
    void Write(const uint8_t *buf, size_t buflen);
    void readData();
    void handleError(QSerialPort::SerialPortError error);

    // The demonstration jobs (jobs/, image/), bound to their buttons by name.
    void on_pushButtonFont_released();
    void on_pushButtonVersion_released();
    void on_pushButtonStatus_released();
    void on_pushButtonBitmap_released();
    void on_pushButtonAttributes_released();
    void on_pushButtonDensity_released();
    void on_pushButtonFormatting_released();
    void on_pushButtonTabs_released();
    void on_pushButtonReset_released();
    void on_pushButtonClear_released();
    void on_pushButtonReceipt_released();
    void on_pushButtonBarcodeUPCA_released();
    void on_pushButtonBarcodeUPCE_released();
    void on_pushButtonBarcodeEAN13_released();
    void on_pushButtonBarcodeEAN8_released();
    void on_pushButtonBarcodeCODE39_released();
    void on_pushButtonBarcodeITF25_released();
    void on_pushButtonBarcodeCODABAR_released();
    void on_pushButtonBarcodeCODE93_released();
    void on_pushButtonBarcodeCODE128A_released();
    void on_pushButton_Load_released();
    void on_pushButton_58PrintH_released();
    void on_pushButton_LineFeed_released();
    void on_pushButtonLanguage_released();
    void on_pushButtonFTP628_released();
    void on_pushButtonFTP638_released();
    void on_pushButtonLTP0213_released();
    void on_pushButtonLTP02C1_released();
    void on_pushButtonApply_released();
    void on_pushButtonYesText_released();
    void on_pushButtonNoText_released();
    void on_pushButton58_384_released();
    void on_pushButton80_576_released();
    void on_pushButtonFullCut_released();
    void on_pushButtonPartialCut_released();
    void on_pushButtonReceiptFullCut_released();
    void on_pushButtonReceiptPartialCut_released();
    void on_checkBoxHexEnable_released();
    void on_pushButtonPowerManagment_released();
    void on_pushButtonM23_H69_pressed();
    void on_pushButtonM23_SX_released();

private:
    void initActionsConnections();
    void showStatusMessage(const QString &message);
    // The indicator at the right of the status bar while a job's bytes wait to leave the host:
    // in the port and in the system's output queue of the line.
    void showWriteProgress();

    // The port guard that every job passes before it sends anything: with the port closed it
    // shows the "Serial Port Connect" box and the job does nothing else.
    bool portGuard();
    // The two together, as every job starts: false when the port is closed.
    bool startJob(std::initializer_list<const char *> account);
    // Every further line of an account, as a paragraph of its own.
    void appendConsole(const char *line);

    // Helpers of the demonstration jobs (jobs/). The streams come from jobs/jobstreams.h; the
    // helpers add the guard, the account and what a job reads from its widgets.
    // A job that reads no widget: the guard, its account, then its stream.
    void runJob(const Jobs::FixedJob &job);
    // The shared bodies of the buttons that differ only in their row of the job tables.
    void printReceipt(const Jobs::ReceiptJob &job);
    void printBarcode(const Jobs::BarcodeJob &job);
    void setBarcodeText(const Jobs::BarcodeTextJob &job);
    void selectPrintHead(const Jobs::PrintHeadJob &job);
    void sendCut(const Jobs::CutJob &job);
    // Version and Status: an empty pane, the request, and whatever the port already holds.
    void requestReply(void (*request)(CommandSet &commands));

    // Helpers of image loading and raster printing (image/).
    // Refuses to print the loaded image: the console line, then the "Print Bitmap" box.
    void refuseRasterPrint(const char *consoleLine, const QString &reason);

    Ui::MainWindow *ui = nullptr;
    QLabel *statusLabel = nullptr;
    QProgressBar *writeProgress = nullptr;
    // Nothing says when a job adds bytes, nor when a stopped line takes none: the indicator
    // looks while the port is open.
    QTimer *writeProgressTimer = nullptr;
    qint64 writeProgressTotal = 0; // the most bytes waiting since the line was last idle
    SettingsDialog *settingsDialog = nullptr;
    QSerialPort *serial = nullptr;
    CommandSet commands;
    QImage image;
    QLabel *viewerLabel = nullptr;
    // The pane's rules: the accounts, the replies, its bound.
    std::unique_ptr<Console> console;
};
