#include "unittextvalidator.h"

#include "link/dialing.h"
#include "link/replytext.h"

#include <algorithm>

namespace {

// Where the first line of input ends.
qsizetype firstLineEnd(const QString &input)
{
    qsizetype lineEnd = 0;
    while (lineEnd < input.size() && input[lineEnd] != u'\r' && input[lineEnd] != u'\n')
        ++lineEnd;
    return lineEnd;
}

void cutAt(QString &input, int &pos, qsizetype lineEnd)
{
    if (lineEnd < input.size()) {
        input.truncate(lineEnd);
        pos = std::min(pos, static_cast<int>(input.size()));
    }
}

} // namespace

QValidator::State UnitTextValidator::validate(QString &input, int &pos) const
{
    // The first line is what the field holds (Cut) or hands over (LeftToEditor).
    const qsizetype lineEnd = firstLineEnd(input);
    if (m_lineBreaks == LineBreaks::Cut)
        cutAt(input, pos, lineEnd);
    return ReplyText::isSendable(QStringView(input).first(lineEnd)) ? Acceptable : Invalid;
}

QValidator::State DialNumberValidator::validate(QString &input, int &pos) const
{
    cutAt(input, pos, firstLineEnd(input));
    return Dialing::isDialNumber(input) ? Acceptable : Invalid;
}
