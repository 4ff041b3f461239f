#include "visibletext.h"

namespace VisibleText {

QString of(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= 0x20 && code != 0x7f && (code < 0x80 || code > 0x9f))
            shown += c;
        else if (code == u'\r')
            shown += QStringLiteral("\\r");
        else if (code == u'\n')
            shown += QStringLiteral("\\n");
        else if (code == u'\t')
            shown += QStringLiteral("\\t");
        else
            shown += QStringLiteral("\\x") + QString::number(code, 16).rightJustified(2, u'0');
    }
    return shown;
}

} // namespace VisibleText
