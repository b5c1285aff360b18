// SPDX-License-Identifier: MIT
#include "window/console.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Where to cut `text` so that about `at` characters go, without splitting a surrogate pair.
qsizetype cutPoint(const QString &text, qsizetype at)
{
    return at < text.size() && text.at(at).isLowSurrogate() ? at + 1 : at;
}

} // namespace

Console::Console(QPlainTextEdit *pane) : m_pane(pane), m_replies(QStringDecoder::Utf8) {}

void Console::clear()
{
    m_pane->clear();
}

void Console::writeAccount(std::initializer_list<const char *> lines)
{
    m_pane->clear();
    bool first = true;
    for (const char *line : lines) {
        if (first)
            m_pane->insertPlainText(QString::fromUtf8(line));
        else
            appendLine(QString::fromUtf8(line));
        first = false;
    }
}

void Console::appendLine(const QString &line)
{
    m_pane->appendPlainText(line);
}

void Console::insert(const QString &text)
{
    m_pane->insertPlainText(text);
}

void Console::startConnection()
{
    m_replies.resetState();
}

void Console::showReply(const QByteArray &bytes)
{
    const QString text = m_replies.decode(bytes);
    if (!text.isEmpty())
        insertBounded(text);
}

// A device that keeps sending without a line break makes the pane one long line, and every
// insertion lays out that whole line again: the bound keeps each insertion to a millisecond or
// two, however long the device goes on.
void Console::insertBounded(QString text)
{
    QTextDocument *document = m_pane->document();
    const qsizetype held = document->characterCount() - 1; // without the closing separator
    if (held + text.size() <= capacity) {
        m_pane->insertPlainText(text);
        return;
    }

    // The pane is full: it keeps its last `capacity` characters. Text that would fall off at
    // once is not inserted at all.
    if (text.size() > capacity)
        text.remove(0, cutPoint(text, text.size() - capacity));
    // The insertion and the removal are one edit, laid out once, and they leave nothing to undo:
    // an undo history would keep every character that ever fell off.
    document->setUndoRedoEnabled(false);
    QTextCursor edit(document);
    edit.beginEditBlock();
    m_pane->insertPlainText(text);
    const int excess = document->characterCount() - 1 - capacity;
    if (excess > 0) {
        const bool splitsPair = document->characterAt(excess).isLowSurrogate();
        edit.setPosition(0);
        edit.setPosition(excess + (splitsPair ? 1 : 0), QTextCursor::KeepAnchor);
        edit.removeSelectedText();
    }
    edit.endEditBlock();
    document->setUndoRedoEnabled(true);
}
