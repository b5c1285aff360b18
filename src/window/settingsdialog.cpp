// SPDX-License-Identifier: MIT
#include "window/settingsdialog.h"
#include "ui_settingsdialog.h"

#include "protocol/values.h"
#include "window/virtuallink.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QSerialPortInfo>

#include <algorithm>

namespace {
QString orNotAvailable(const QString &text)
{
    return text.isEmpty() ? SettingsDialog::tr("N/A") : text;
}

QString identifierText(quint16 id)
{
    return id != 0 ? QString::number(id, 16) : SettingsDialog::tr("N/A");
}

template <typename Enum>
Enum currentEnum(const QComboBox *box)
{
    return static_cast<Enum>(box->currentData().toInt());
}
} // namespace

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent),
      ui(new Ui::SettingsDialog),
      intValidator(new QIntValidator(0, 4000000, this))
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->baudRateBox->setInsertPolicy(QComboBox::NoInsert);

    connect(ui->applyButton, &QPushButton::clicked, this, &SettingsDialog::apply);
    connect(ui->serialPortInfoListBox, &QComboBox::currentIndexChanged, this,
            &SettingsDialog::showPortInfo);
    connect(ui->baudRateBox, &QComboBox::currentIndexChanged, this,
            &SettingsDialog::checkCustomBaudRatePolicy);
    connect(ui->serialPortInfoListBox, &QComboBox::currentIndexChanged, this,
            &SettingsDialog::checkCustomDevicePathPolicy);

    fillPortsParameters();
    fillPortsInfo();
    updateSettings();
}

SettingsDialog::~SettingsDialog()
{
    delete ui;
}

Settings SettingsDialog::settings() const
{
    return currentSettings;
}

void SettingsDialog::selectPort(const QString &path)
{
    QComboBox *ports = ui->serialPortInfoListBox;
    int index = ports->count() - 1; // "Custom"
    for (int i = 0; i < ports->count() - 1; ++i) {
        const QStringList row = ports->itemData(i).toStringList();
        if (row.value(0) == path || row.value(4) == path)
            index = i;
    }
    ports->setCurrentIndex(index);
    if (index == ports->count() - 1)
        ports->setEditText(path);
    updateSettings();
}

void SettingsDialog::chooseVirtualControllerIfNone()
{
    if (!currentSettings.portName.isEmpty())
        return;
    const QString link = VirtualLink::defaultPath();
    if (VirtualLink::liveDevice(link).isEmpty())
        return;
    fillPortsInfo();
    QComboBox *ports = ui->serialPortInfoListBox;
    ports->setCurrentIndex(std::max(0, ports->findText(link)));
    // Only the port: the other choices keep what was last applied.
    currentSettings.portName = ports->currentText();
}

QStringList SettingsDialog::portInfoRow(const QString &portName, const QString &description,
                                        const QString &manufacturer, const QString &serialNumber,
                                        const QString &systemLocation, quint16 vendorId,
                                        quint16 productId)
{
    return {portName,
            orNotAvailable(description),
            orNotAvailable(manufacturer),
            orNotAvailable(serialNumber),
            systemLocation,
            identifierText(vendorId),
            identifierText(productId)};
}

void SettingsDialog::showPortInfo(int idx)
{
    if (idx == -1)
        return;
    const QStringList list = ui->serialPortInfoListBox->itemData(idx).toStringList();
    const auto field = [&list](qsizetype i) { return i < list.size() ? list.at(i) : tr("N/A"); };
    ui->descriptionLabel->setText(tr("Description: %1").arg(field(1)));
    ui->manufacturerLabel->setText(tr("Manufacturer: %1").arg(field(2)));
    ui->serialNumberLabel->setText(tr("Serial number: %1").arg(field(3)));
    ui->locationLabel->setText(tr("Location: %1").arg(field(4)));
    ui->vidLabel->setText(tr("Vendor Identifier: %1").arg(field(5)));
    ui->pidLabel->setText(tr("Product Identifier: %1").arg(field(6)));
}

void SettingsDialog::apply()
{
    updateSettings();
    hide();
}

void SettingsDialog::checkCustomBaudRatePolicy(int idx)
{
    const bool isCustom = !ui->baudRateBox->itemData(idx).isValid();
    ui->baudRateBox->setEditable(isCustom);
    if (isCustom) {
        ui->baudRateBox->clearEditText();
        ui->baudRateBox->lineEdit()->setValidator(intValidator);
    }
}

void SettingsDialog::checkCustomDevicePathPolicy(int idx)
{
    const bool isCustom = !ui->serialPortInfoListBox->itemData(idx).isValid();
    ui->serialPortInfoListBox->setEditable(isCustom);
    if (isCustom)
        ui->serialPortInfoListBox->clearEditText();
}

void SettingsDialog::fillPortsParameters()
{
    for (const int rate : Protocol::Uart::bitRates)
        ui->baudRateBox->addItem(QString::number(rate), rate);
    ui->baudRateBox->setCurrentIndex(Protocol::Uart::defaultSpeed);

    ui->dataBitsBox->addItem(QStringLiteral("5"), QSerialPort::Data5);
    ui->dataBitsBox->addItem(QStringLiteral("6"), QSerialPort::Data6);
    ui->dataBitsBox->addItem(QStringLiteral("7"), QSerialPort::Data7);
    ui->dataBitsBox->addItem(QStringLiteral("8"), QSerialPort::Data8);
    ui->dataBitsBox->setCurrentIndex(3);

    ui->parityBox->addItem(tr("None"), QSerialPort::NoParity);
    ui->parityBox->addItem(tr("Even"), QSerialPort::EvenParity);
    ui->parityBox->addItem(tr("Odd"), QSerialPort::OddParity);
    ui->parityBox->addItem(tr("Mark"), QSerialPort::MarkParity);
    ui->parityBox->addItem(tr("Space"), QSerialPort::SpaceParity);

    ui->stopBitsBox->addItem(QStringLiteral("1"), QSerialPort::OneStop);
    ui->stopBitsBox->addItem(QStringLiteral("2"), QSerialPort::TwoStop);

    ui->flowControlBox->addItem(tr("XON/XOFF"), QSerialPort::SoftwareControl);
    ui->flowControlBox->addItem(tr("None"), QSerialPort::NoFlowControl);
    ui->flowControlBox->addItem(tr("RTS/CTS"), QSerialPort::HardwareControl);
}

void SettingsDialog::fillPortsInfo()
{
    ui->serialPortInfoListBox->clear();
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        const QStringList row = portInfoRow(
            info.portName(), info.description(), info.manufacturer(), info.serialNumber(),
            info.systemLocation(), info.vendorIdentifier(), info.productIdentifier());
        ui->serialPortInfoListBox->addItem(row.first(), row);
    }
    // The system lists no pseudo-terminals; a running virtual controller's link comes after
    // the real ports, and so is the one chosen when there is none.
    const QString link = VirtualLink::defaultPath();
    const QString device = VirtualLink::liveDevice(link);
    if (!device.isEmpty()) {
        const QStringList row =
            portInfoRow(link, tr("Tessivar Virtual Controller on %1").arg(device),
                        QStringLiteral("Tessivar"), {}, link, 0, 0);
        ui->serialPortInfoListBox->addItem(row.first(), row);
    }
    ui->serialPortInfoListBox->addItem(tr("Custom"));
}

void SettingsDialog::updateSettings()
{
    currentSettings.portName = ui->serialPortInfoListBox->currentText();

    currentSettings.baudRate = ui->baudRateBox->currentData().toInt();
    currentSettings.baudRateText = QString::number(currentSettings.baudRate);

    currentSettings.dataBits = currentEnum<QSerialPort::DataBits>(ui->dataBitsBox);
    currentSettings.dataBitsText = ui->dataBitsBox->currentText();

    currentSettings.parity = currentEnum<QSerialPort::Parity>(ui->parityBox);
    currentSettings.parityText = ui->parityBox->currentText();

    currentSettings.stopBits = currentEnum<QSerialPort::StopBits>(ui->stopBitsBox);
    currentSettings.stopBitsText = ui->stopBitsBox->currentText();

    currentSettings.flowControl = currentEnum<QSerialPort::FlowControl>(ui->flowControlBox);
    currentSettings.flowControlText = ui->flowControlBox->currentText();
}
