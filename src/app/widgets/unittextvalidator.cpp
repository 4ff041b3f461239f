#include "unittextvalidator.h"

#include "link/replytext.h"

#include <algorithm>

QValidator::State UnitTextValidator::validate(QString &input, int &pos) const
{
    const qsizetype cr = input.indexOf(u'\r');
    const qsizetype lf = input.indexOf(u'\n');
    const qsizetype lineEnd = cr < 0 ? lf : lf < 0 ? cr : std::min(cr, lf);
    if (lineEnd < 0)
        return ReplyText::isSendable(input) ? Acceptable : Invalid;
    if (m_lineBreaks == LineBreaks::Cut) {
        input.truncate(lineEnd);
        pos = std::min(pos, static_cast<int>(input.size()));
        return ReplyText::isSendable(input) ? Acceptable : Invalid;
    }
    return ReplyText::isSendable(QStringView(input).first(lineEnd)) ? Acceptable : Invalid;
}
