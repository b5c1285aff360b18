// SPDX-License-Identifier: MIT
#pragma once

#include "window/settings.h"

#include <QDialog>
#include <QStringList>

class QIntValidator;

namespace Ui {
class SettingsDialog;
}

// The window in which the user picks the serial port and the line parameters. The port list
// is read when the dialog is built: the system's serial ports, then the link of a virtual
// controller that is running; "Custom" lets the user type any device path.
// The choice takes effect only through "Apply"; closing the dialog otherwise keeps the last
// applied settings.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    Settings settings() const;
    // Chooses the port at `path` and applies it: the listed port whose name or location it is,
    // or else "Custom" with the path filled in.
    void selectPort(const QString &path);
    // With no port chosen (none was there when the dialog was built, and none typed), chooses
    // the link of a virtual controller started since, so that Connect finds it.
    void chooseVirtualControllerIfNone();

    // The seven strings shown for a port: name, description, manufacturer, serial number,
    // system location, vendor and product identifier ("N/A" where the system gives none).
    static QStringList portInfoRow(const QString &portName, const QString &description,
                                   const QString &manufacturer, const QString &serialNumber,
                                   const QString &systemLocation, quint16 vendorId,
                                   quint16 productId);

private Q_SLOTS:
    void showPortInfo(int idx);
    void apply();
    void checkCustomBaudRatePolicy(int idx);
    void checkCustomDevicePathPolicy(int idx);

private:
    void fillPortsParameters();
    void fillPortsInfo();
    void updateSettings();

    Ui::SettingsDialog *ui = nullptr;
    Settings currentSettings;
    QIntValidator *intValidator = nullptr;
};
