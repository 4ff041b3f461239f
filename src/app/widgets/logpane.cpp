#include "logpane.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace LogPane {

void appendLine(QTextEdit *pane, const QString &text, const QColor &color)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');

    // Painted once for the whole line, or later with a burst of them when the caller holds the
    // pane's paint already.
    const bool painting = pane->updatesEnabled();
    if (painting)
        pane->setUpdatesEnabled(false);
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(color);
    cursor.insertBlock(QTextBlockFormat(), format);
    cursor.insertText(lines, format);

    QTextCharFormat normal;
    normal.setForeground(pane->palette().text());
    pane->setCurrentCharFormat(normal);
    if (painting) {
        scrollToNewest(pane);
        pane->setUpdatesEnabled(true);
    }
}

void scrollToNewest(QTextEdit *pane)
{
    pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
}

void deleteLastLine(QTextEdit *pane)
{
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    // The block separator before it goes too, unless it was the only line.
    if (cursor.blockNumber() > 0)
        cursor.deletePreviousChar();
}

} // namespace LogPane
