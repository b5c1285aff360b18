// SPDX-License-Identifier: MIT
#pragma once

#include <QStringDecoder>

#include <initializer_list>

class QByteArray;
class QPlainTextEdit;
class QString;

// What the console pane shows: the account a job writes of itself, and the controller's replies
// as they arrive. Replies are decoded as UTF-8 with one decoder per connection, so a character
// whose bytes come in two reads is shown whole, and the pane keeps at most `capacity`
// characters, so a device that floods it cannot slow the window down.
class Console
{
public:
    static constexpr int capacity = 8192;

    explicit Console(QPlainTextEdit *pane);
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    void clear();
    // Clears the pane, inserts the first line at the cursor and appends every further line as a
    // paragraph of its own.
    void writeAccount(std::initializer_list<const char *> lines);
    // A paragraph of its own after the last one.
    void appendLine(const QString &line);
    // Text at the cursor, running on in the current line.
    void insert(const QString &text);

    // A new connection: nothing left over from the last one is joined to its first reply.
    void startConnection();
    // Bytes from the controller, inserted at the cursor.
    void showReply(const QByteArray &bytes);

private:
    void insertBounded(QString text);

    QPlainTextEdit *m_pane;
    QStringDecoder m_replies;
};
