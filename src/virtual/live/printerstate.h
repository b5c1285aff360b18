// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace Virtual {

// What the printer's sensors say: the paper roll, the cover and the cash drawer, set by the
// user (the window, the command line, lines on standard input) or by the printing itself (a
// roll of finite length runs out, a drawer kick opens the drawer). With the paper out or the
// cover open the printer is offline: it stops printing, keeps what it receives and answers the
// real-time requests.
//
// The status bytes are those of ESC/POS: bit 1 and bit 4 set, bits 0 and 7 clear in the
// real-time status, bit 4 clear in GS r and the automatic status. None of them can be XON (0x11)
// or XOFF (0x13), whose bit 0 is set.
class PrinterState : public QObject
{
    Q_OBJECT
public:
    enum class Paper { Ok, NearEnd, Out };

    explicit PrinterState(QObject *parent = nullptr) : QObject(parent) {}

    Paper paper() const { return m_paper; }
    bool coverOpen() const { return m_coverOpen; }
    bool drawerOpen() const { return m_drawerOpen; }
    bool offline() const { return m_paper == Paper::Out || m_coverOpen; }

    void setPaper(Paper paper);
    void setCoverOpen(bool open);
    void setDrawerOpen(bool open);

    // DLE EOT n, n 1-4: printer, offline cause, error cause, roll paper sensor; nothing for
    // another n.
    std::optional<std::uint8_t> realtimeStatus(int n) const;
    // GS r n, n 1/49: paper sensor; 2/50: drawer; nothing for another n.
    std::optional<std::uint8_t> sensorStatus(int n) const;
    // GS a: the four bytes of the automatic status back.
    QByteArray automaticStatus() const;
    // Which of GS a's items (bit 0 drawer, 1 online/offline, 2 errors, 3 paper sensor) differ
    // between two automatic status blocks.
    static int changedItems(const QByteArray &before, const QByteArray &after);

    // "paper ok, cover closed, drawer closed, online": one line for the trace, the window and
    // the `status` command.
    QString describe() const;
    static QString paperName(Paper paper);
    static std::optional<Paper> paperFromName(const QString &name);

Q_SIGNALS:
    // The paper, the cover or the drawer changed; `what` says how, for the trace ("paper out").
    void changed(const QString &what);

private:
    Paper m_paper = Paper::Ok;
    bool m_coverOpen = false;
    bool m_drawerOpen = false;
};

} // namespace Virtual
