#include "link/dialing.h"

#include <QTest>

class DialingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadRegistrationState_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("unrecognised");
        QTest::newRow("home network with echo") << "AT+CREG?\r\r\n+CREG: 0,1\r\n\r\nOK\r\n"
                                                << true << "Модем зарегистрирован в сети!" << false;
        QTest::newRow("letter case ignored") << "+creg: 0,1\r\nok\r\n"
                                             << true << "Модем зарегистрирован в сети!" << false;
        QTest::newRow("registered but no OK yet") << "+CREG: 0,1\r\n"
                                                  << false << "Нет ответа от модема!" << true;
        QTest::newRow("not searching")
            << "+CREG: 0,0\r\nOK\r\n"
            << false << "Модем не зарегистрирован в сети. Поиск сети не ведется" << false;
        QTest::newRow("searching")
            << "+CREG: 0,2\r\nOK\r\n"
            << false << "Модем не зарегистрирован в сети. Идет поиск сети" << false;
        QTest::newRow("denied") << "+CREG: 0,3\r\nOK\r\n"
                                << false << "Регистрация модема отклонена" << false;
        QTest::newRow("unknown") << "+CREG: 0,4\r\nOK\r\n"
                                 << false << "Модем не отвечает. Причина - неизвестно" << false;
        QTest::newRow("roaming refused")
            << "+CREG: 0,5\r\nOK\r\n"
            << false << "Модем не зарегистрирован в сети. Роуминг" << false;
        QTest::newRow("silence") << "" << false << "Нет ответа от модема!" << true;
        QTest::newRow("other mode number") << "+CREG: 2,1\r\nOK\r\n"
                                           << false << "Нет ответа от модема!" << true;
    }

    void shouldReadRegistrationState()
    {
        QFETCH(QString, answer);
        QFETCH(bool, registered);
        QFETCH(QString, line);
        QFETCH(bool, unrecognised);
        const Dialing::Registration r = Dialing::registrationOf(answer);
        QCOMPARE(r.registered, registered);
        QCOMPARE(r.logLine, line);
        QCOMPARE(r.unrecognised, unrecognised);
    }

    // What may follow "ATD": a number with the modem's dial modifiers, and nothing that ends
    // the dial command or starts another one.
    void shouldTakeOnlyDialNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("taken");
        QTest::newRow("digits") << "89161234567" << true;
        QTest::newRow("international with blanks") << "+7 916 123 45 67" << true;
        QTest::newRow("service code") << "*100#" << true;
        QTest::newRow("pause, wait, pulse, tone, flash, quiet") << "8,W916P1T2!3@4" << true;
        QTest::newRow("modifiers in lower case") << "8w916p1t2" << true;
        QTest::newRow("blanks only") << "   " << true;
        QTest::newRow("semicolon ends the dial command") << "8900;+CFUN=0" << false;
        QTest::newRow("semicolon at the end") << "8900;" << false;
        QTest::newRow("line break") << "8900\rATH" << false;
        QTest::newRow("escape") << "8900\x1b" << false;
        QTest::newRow("redial letter") << "L" << false;
        QTest::newRow("stored number") << "S=1" << false;
        QTest::newRow("hyphens") << "8-916-123-45-67" << true;
        QTest::newRow("parentheses") << "8 (916) 123-45-67" << true;
        QTest::newRow("Cyrillic digit look-alike") << "89З6" << false;
        QTest::newRow("full-width digit") << "８916" << false;
    }

    void shouldTakeOnlyDialNumbers()
    {
        QFETCH(QString, number);
        QFETCH(bool, taken);
        QCOMPARE(Dialing::isDialNumber(number), taken);
    }

    void shouldNameEachFailureFound_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("lines");
        const QString p = QStringLiteral("8916");
        QTest::newRow("busy") << "\r\nBUSY\r\n" << QStringList{"Номер 8916 занят!"};
        QTest::newRow("no answer") << "\r\nNO ANSWER\r\n"
                                   << QStringList{"Ответ от абонента с номером 8916 не пришел в "
                                                  "течение времени ожидания!"};
        QTest::newRow("no carrier") << "\r\nno carrier\r\n"
                                    << QStringList{"Соединение по номеру 8916 не удалось или "
                                                   "вызываемая сторона дала отказ!"};
        QTest::newRow("two texts, two lines")
            << "BUSY NO CARRIER\r\n"
            << QStringList{
                   "Номер 8916 занят!",
                   "Соединение по номеру 8916 не удалось или вызываемая сторона дала отказ!"};
        QTest::newRow("nothing known") << "\r\nERROR\r\n" << QStringList();
    }

    void shouldNameEachFailureFound()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, lines);
        QCOMPARE(Dialing::failureLines(answer, QStringLiteral("8916")), lines);
    }

    void shouldEndAnswerOnLineEndAfterThreeBytesOfSameRead_data()
    {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("answer");
        using L = QList<QByteArray>;
        QTest::newRow("whole result in one read")
            << L{"\r\nCONNECT 9600\r\n"} << true << "\r\nCONNECT 9600\r\n";
        QTest::newRow("rest of the read dropped")
            << L{"\r\nBUSY\r\ntrailing"} << true << "\r\nBUSY\r\n";
        QTest::newRow("line end alone in the next read")
            << L{"CONNECT 9600", "\r\n"} << false << "";
        QTest::newRow("line end at position 2 is too early") << L{"\r\nCO", "N\r\n"} << false << "";
        QTest::newRow("leading CR LF then the code in a later read")
            << L{"\r\n", "CONNECT 9600\r\n"} << true << "\r\nCONNECT 9600\r\n";
        QTest::newRow("LF without CR") << L{"CONNECT 9600\n"} << false << "";
    }

    void shouldEndAnswerOnLineEndAfterThreeBytesOfSameRead()
    {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(bool, complete);
        QFETCH(QString, answer);
        Dialing::AnswerScanner scanner;
        for (const QByteArray &read : reads)
            scanner.feed(read);
        QCOMPARE(scanner.complete(), complete);
        if (complete)
            QCOMPARE(scanner.answer(), answer);
    }
};

QTEST_GUILESS_MAIN(DialingTest)
#include "tst_dialing.moc"
