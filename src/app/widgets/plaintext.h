#pragma once

#include <QString>
#include <QTextDocument>

// Text from the unit, a file or the operator is shown as the characters it is, never obeyed as
// markup: a label or a box takes it with Qt::PlainText, and a tool tip, which the toolkit takes
// as rich text whenever it looks like HTML, gets it escaped then (a "<b>" shown bold or an
// "<img src=...>" loaded from any file it names is no value of ours).
namespace PlainText {

inline QString toolTip(const QString &text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

} // namespace PlainText
