#pragma once

#include <QValidator>

// For the one-line fields whose text goes to the unit or the modem as it stands: a control
// character or a character the Windows-1251 code page cannot hold is refused where it is typed
// or pasted (it would go as something else, or break the command). Pasted text with line
// breaks keeps its first line (a line break would end the command there and make the rest
// another command): cut at once, or, for an editor that takes the first line itself when it
// hands the value over, left to it.
class UnitTextValidator : public QValidator
{
public:
    enum class LineBreaks { Cut, LeftToEditor };

    explicit UnitTextValidator(QObject *parent, LineBreaks lineBreaks = LineBreaks::Cut)
        : QValidator(parent), m_lineBreaks(lineBreaks)
    {
    }

    State validate(QString &input, int &pos) const override;

private:
    LineBreaks m_lineBreaks;
};

// For the number the modem dials: what UnitTextValidator cuts it cuts too, and then only the
// characters of a number pass (Dialing::isDialNumber), typed or pasted; anything else would go
// to the modem as part of the dial command or as a command of its own.
class DialNumberValidator : public QValidator
{
public:
    explicit DialNumberValidator(QObject *parent) : QValidator(parent) {}

    State validate(QString &input, int &pos) const override;
};
