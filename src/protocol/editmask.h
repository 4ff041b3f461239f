#pragma once

#include <QString>

// An edit mask in the notation the settings table is described in ("!00:00:00;1;_"): '0' a
// required digit, '9' an optional one, '!' and the case switches, literal characters, then
// ";1" (literals are part of the value) and the blank character. Qt's line edit speaks another
// mask language ('9' is its required digit), and its text() drops unfilled positions; the value
// stored keeps every position, an unfilled one as a space, so an untouched time field holds
// "  :  :  ".
class EditMask
{
public:
    static EditMask parse(const QString &mask);

    bool isEmpty() const { return m_qtMask.isEmpty(); }
    // The mask for QLineEdit::setInputMask, blank character included.
    const QString &qtMask() const { return m_qtMask; }
    QChar blank() const { return m_blank; }

    // The stored value from what the line edit displays (QLineEdit::displayText()).
    QString storedText(const QString &displayText) const;
    // What to hand to QLineEdit::setText for a stored value.
    QString editText(const QString &storedText) const;

private:
    QString m_qtMask;
    QString m_literalPattern; // per position: the literal character, or '\0' for an input one
    QChar m_blank = u'_';
};
