#pragma once

#include <QColor>

class QTextEdit;

// The coloured log pane: lines are appended in a colour and the newest stays in view.
namespace LogPane {

// Appends one line (a CR LF or lone CR or LF inside it starts further lines) in the colour;
// text typed afterwards has the normal text colour again.
void appendLine(QTextEdit *pane, const QString &text, const QColor &color);
void deleteLastLine(QTextEdit *pane);

} // namespace LogPane
