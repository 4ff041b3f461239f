#pragma once

#include <QColor>

class QTextEdit;

// The coloured log pane: lines are appended in a colour and the newest stays in view. A pane
// whose paint the caller holds (updates disabled) takes the lines as they come and is
// scrolled and painted when the caller lets it.
namespace LogPane {

// Appends one line (a CR LF or lone CR or LF inside it starts further lines) in the colour;
// text typed afterwards has the normal text colour again. A painting pane shows it at once, the
// newest line in view; a held one is left for scrollToNewest.
void appendLine(QTextEdit *pane, const QString &text, const QColor &color);
void scrollToNewest(QTextEdit *pane);
void deleteLastLine(QTextEdit *pane);

} // namespace LogPane
