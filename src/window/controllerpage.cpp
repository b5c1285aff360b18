// SPDX-License-Identifier: MIT
// The Controller page: the print head type and the controller's UART settings. Neither is
// remembered by the tool; after Apply the host's own line must be set to match by hand.
#include "window/mainwindow.h"
#include "ui_mainwindow.h"

#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"

#include <cstddef>
#include <cstdint>
#include <utility>

using namespace Jobs;

namespace {
// The code of the first checked button, or the fallback when none of them is checked.
template <std::size_t N>
std::uint8_t firstChecked(const std::pair<const QRadioButton *, std::uint8_t> (&choices)[N],
                          std::uint8_t fallback)
{
    for (const auto &[button, code] : choices) {
        if (button->isChecked())
            return code;
    }
    return fallback;
}
} // namespace

void MainWindow::on_pushButtonApply_released()
{
    if (!startJob({Uart::announcement, Uart::hostNote}))
        return;

    const std::pair<const QRadioButton *, std::uint8_t> speeds[] = {
        {ui->radioButton9600, Uart::Speed9600},     {ui->radioButton19200, Uart::Speed19200},
        {ui->radioButton38400, Uart::Speed38400},   {ui->radioButton57600, Uart::Speed57600},
        {ui->radioButton115200, Uart::Speed115200}, {ui->radioButton256000, Uart::Speed256000},
        {ui->radioButton375000, Uart::Speed375000},
    };
    const std::pair<const QRadioButton *, std::uint8_t> flows[] = {
        {ui->radioButtonNoFlow, Uart::NoFlow},
        {ui->radioButtonSoftFlow, Uart::XonXoff},
        {ui->radioButtonHardFlow, Uart::HardwareFlow},
    };
    queueUartSettings(commands, firstChecked(speeds, Uart::defaultSpeed),
                      firstChecked(flows, Uart::defaultFlow));
}

void MainWindow::on_pushButtonFTP628_released()
{
    selectPrintHead(headFTP628);
}

void MainWindow::on_pushButtonFTP638_released()
{
    selectPrintHead(headFTP638);
}

void MainWindow::on_pushButtonLTP0213_released()
{
    selectPrintHead(headLTP0213);
}

void MainWindow::on_pushButtonLTP02C1_released()
{
    selectPrintHead(headLTP02C1);
}

void MainWindow::on_pushButton58_384_released()
{
    selectPrintHead(head58Cutter);
}

void MainWindow::on_pushButton80_576_released()
{
    selectPrintHead(head80Cutter);
}

// This one head acts when its button goes down.
void MainWindow::on_pushButtonM23_H69_pressed()
{
    selectPrintHead(headM23H69);
}

void MainWindow::on_pushButtonM23_SX_released()
{
    selectPrintHead(headM23SX);
}

// The tool does not remember the head type.
void MainWindow::selectPrintHead(const PrintHeadJob &job)
{
    if (!startJob({job.console, job.flash}))
        return;
    queuePrintHead(commands, job);
}
