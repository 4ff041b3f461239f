#include "dialing.h"

#include "replytext.h"

#include <algorithm>

namespace Dialing {

Registration registrationOf(const QString &answer)
{
    using ReplyText::contains;
    if (contains(answer, QStringLiteral("CREG: 0,1")) && contains(answer, QStringLiteral("OK")))
        return {true, QStringLiteral("Модем зарегистрирован в сети!"), false};

    static const std::pair<const char *, const char *> kStates[] = {
        {"CREG: 0,0", "Модем не зарегистрирован в сети. Поиск сети не ведется"},
        {"CREG: 0,2", "Модем не зарегистрирован в сети. Идет поиск сети"},
        {"CREG: 0,3", "Регистрация модема отклонена"},
        {"CREG: 0,4", "Модем не отвечает. Причина - неизвестно"},
        {"CREG: 0,5", "Модем не зарегистрирован в сети. Роуминг"},
    };
    for (const auto &[state, line] : kStates) {
        if (contains(answer, QString::fromLatin1(state)))
            return {false, QString::fromUtf8(line), false};
    }
    return {false, QStringLiteral("Нет ответа от модема!"), true};
}

bool isDialNumber(QStringView number)
{
    static const QString kDialCharacters = QStringLiteral("0123456789+*#,WwPpTt!@ -()");
    return std::all_of(number.begin(), number.end(),
                       [](QChar ch) { return kDialCharacters.contains(ch); });
}

QStringList failureLines(const QString &answer, const QString &phone)
{
    using ReplyText::contains;
    QStringList lines;
    if (contains(answer, QStringLiteral("BUSY")))
        lines << QStringLiteral("Номер ") + phone + QStringLiteral(" занят!");
    if (contains(answer, QStringLiteral("NO ANSWER")))
        lines << QStringLiteral("Ответ от абонента с номером ") + phone +
                     QStringLiteral(" не пришел в течение времени ожидания!");
    if (contains(answer, QStringLiteral("NO CARRIER")))
        lines << QStringLiteral("Соединение по номеру ") + phone +
                     QStringLiteral(" не удалось или вызываемая сторона дала отказ!");
    return lines;
}

bool AnswerScanner::feed(const QByteArray &read)
{
    for (qsizetype i = 0; i < read.size() && !m_complete; ++i) {
        m_collected.append(read[i]);
        if (read[i] == '\n' && i > 2 && read[i - 1] == '\r')
            m_complete = true;
    }
    return m_complete;
}

} // namespace Dialing
