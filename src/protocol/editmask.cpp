#include "editmask.h"

#include <QStringList>

namespace {

// Characters that Qt reads as mask commands and that must be escaped to stand for themselves.
bool isQtMaskCommand(QChar ch)
{
    return QStringLiteral("AaNnXx90DdHhBb#><![]{}\\;").contains(ch);
}

} // namespace

EditMask EditMask::parse(const QString &mask)
{
    EditMask result;
    const QStringList fields = mask.split(u';');
    if (fields.size() >= 3 && !fields[2].isEmpty())
        result.m_blank = fields[2].front();

    const QString &body = fields.front();
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar ch = body[i];
        QString input; // the Qt command for an input position
        switch (ch.unicode()) {
        case u'!':
            continue;
        case u'>':
        case u'<':
            result.m_qtMask += ch;
            continue;
        case u'0':
            input = QStringLiteral("9");
            break;
        case u'9':
            input = QStringLiteral("0");
            break;
        case u'#':
            input = QStringLiteral("#");
            break;
        case u'L':
            input = QStringLiteral("A");
            break;
        case u'l':
            input = QStringLiteral("a");
            break;
        case u'A':
            input = QStringLiteral("N");
            break;
        case u'a':
            input = QStringLiteral("n");
            break;
        case u'C':
            input = QStringLiteral("X");
            break;
        case u'c':
            input = QStringLiteral("x");
            break;
        default:
            break;
        }
        if (!input.isEmpty()) {
            result.m_qtMask += input;
            result.m_literalPattern += QChar(u'\0');
            continue;
        }
        QChar literal = ch;
        if (ch == u'\\' && i + 1 < body.size())
            literal = body[++i];
        else if (ch == u'_')
            literal = u' ';
        if (isQtMaskCommand(literal))
            result.m_qtMask += u'\\';
        result.m_qtMask += literal;
        result.m_literalPattern += literal;
    }
    if (!result.m_qtMask.isEmpty())
        result.m_qtMask += u';' + QString(result.m_blank);
    return result;
}

QString EditMask::storedText(const QString &displayText) const
{
    QString stored = displayText;
    for (qsizetype i = 0; i < stored.size() && i < m_literalPattern.size(); ++i) {
        if (m_literalPattern[i] == QChar(u'\0') && stored[i] == m_blank)
            stored[i] = u' ';
    }
    return stored;
}

QString EditMask::editText(const QString &storedText) const
{
    QString text = storedText;
    for (qsizetype i = 0; i < text.size() && i < m_literalPattern.size(); ++i) {
        if (m_literalPattern[i] == QChar(u'\0') && text[i] == u' ')
            text[i] = m_blank;
    }
    return text;
}
