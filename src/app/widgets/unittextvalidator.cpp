#include "unittextvalidator.h"

#include "link/replytext.h"

#include <algorithm>

QValidator::State UnitTextValidator::validate(QString &input, int &pos) const
{
    // The first line is what the field holds (Cut) or hands over (LeftToEditor).
    qsizetype lineEnd = 0;
    while (lineEnd < input.size() && input[lineEnd] != u'\r' && input[lineEnd] != u'\n')
        ++lineEnd;
    if (m_lineBreaks == LineBreaks::Cut && lineEnd < input.size()) {
        input.truncate(lineEnd);
        pos = std::min(pos, static_cast<int>(input.size()));
    }
    return ReplyText::isSendable(QStringView(input).first(lineEnd)) ? Acceptable : Invalid;
}
