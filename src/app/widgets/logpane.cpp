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
    pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
    pane->setUpdatesEnabled(true);
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
