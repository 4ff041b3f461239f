// The correctors page's operations with no window, against the simulated unit: the read's
// queries and what it shows, the write of what the operator changed with every check, and the
// unit's own detection of its correctors.
#include "devices/correctorsops.h"
#include "link/logsink.h"
#include "support/unitsession.h"

#include <QTest>

using C = CorrectorsModel;
using CorrectorDetection::Found;

namespace {

const QStringList kReadOrder = {
    "NAME_CORRECTOR1", "NAME_CORRECTOR2", "NAME_CORRECTOR3", "SN_CORRECTOR1",  "SN_CORRECTOR2",
    "SN_CORRECTOR3",   "VER_CORRECTOR1",  "VER_CORRECTOR2",  "VER_CORRECTOR3", "BrInt1",
    "BrInt2",          "BrInt3",          "ReadArchive1",    "ReadArchive2",   "ReadArchive3"};

void read(UnitSession &unit)
{
    const std::unique_ptr<UnitLink> link = unit.connection->link();
    readCorrectors(*link, unit.data.correctors);
}

void write(UnitSession &unit)
{
    const std::unique_ptr<UnitLink> link = unit.connection->link();
    writeCorrectors(*link, unit.data.correctors);
}

void detect(UnitSession &unit)
{
    const std::unique_ptr<UnitLink> link = unit.connection->link();
    detectCorrectors(*link, unit.data.correctors);
}

QStringList row(const CorrectorsModel &correctors, int r)
{
    return {correctors.cell(C::TypeColumn, r), correctors.cell(C::SerialColumn, r),
            correctors.cell(C::VersionColumn, r)};
}

} // namespace

class CorrectorsOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadInOrderAndShowWhatUnitHolds()
    {
        UnitSession unit;
        // Row 1's empty type stays empty; rows 2 and 3 and every empty version show "-----".
        unit.unitState(QStringLiteral("NAME_CORRECTOR1=\nSN_CORRECTOR1=777\nVER_CORRECTOR1=\n"
                                      "NAME_CORRECTOR2=Beta\nSN_CORRECTOR2=12\n"
                                      "VER_CORRECTOR2=2.0\nReadArchive3=01.12.2026\n"));
        unit.start();
        CorrectorsModel &correctors = unit.data.correctors;
        correctors.setCell(C::SerialColumn, 1, QStringLiteral("typed"));

        read(unit);

        QCOMPARE(unit.receivedSinceMark(), kReadOrder);
        QCOMPARE(row(correctors, 1), (QStringList{"", "777", "-----"}));
        QCOMPARE(row(correctors, 2), (QStringList{"Beta", "12", "2.0"}));
        QCOMPARE(row(correctors, 3), (QStringList{"-----", "", "-----"}));
        QCOMPARE(correctors.cell(C::SpeedColumn, 2), QStringLiteral("19200"));
        QCOMPARE(correctors.cell(C::DateColumn, 2), QStringLiteral("15.10.2026, 06:00:00"));
        QCOMPARE(correctors.dateBaseline(2), QStringLiteral("15.10.2026, 06:00:00"));
        QCOMPARE(correctors.cell(C::DateColumn, 3), QStringLiteral("01.12.2026"));
        QCOMPARE(correctors.serialBaseline(1), QStringLiteral("777"));
        for (int r = 1; r <= 3; ++r) {
            for (const int column : {int(C::SerialColumn), int(C::SpeedColumn), int(C::DateColumn)})
                QVERIFY(!correctors.data(correctors.index(r, column), C::ChangedRole).toBool());
        }
        QCOMPARE(unit.log.shown.size(), 17);
        QCOMPARE(unit.log.shown.first(),
                 QStringLiteral("Считывание параметров соединения с корректорами..."));
        QCOMPARE(unit.log.shown.mid(1, 4),
                 (QStringList{"Тип корректора [разъем X10] считан.",
                              "Тип корректора [разъем X15] считан.",
                              "Тип корректора [разъем X11] считан.",
                              "Серийный номер корректора [разъем X10] считан."}));
        QCOMPARE(unit.log.shown[7], QStringLiteral("Версия корректора [разъем X10] считана."));
        QCOMPARE(unit.log.shown[10], QStringLiteral("Скорость корректора [разъем X10] считана."));
        QCOMPARE(unit.log.shown[15],
                 QStringLiteral("Начальная дата считывания корректора [разъем X11] считана."));
        QCOMPARE(unit.log.shown.last(),
                 QStringLiteral("Считывание параметров соединения с корректорами завершено"));
        QCOMPARE(unit.log.colors.first(), LogColor::Green);
        QCOMPARE(unit.log.colors.last(), LogColor::Blue);
    }

    void shouldEndReadWhenFirstQueryFails()
    {
        UnitSession unit;
        unit.start(false, 0, 1); // group_info only
        unit.data.correctors.setCell(C::TypeColumn, 1, QStringLiteral("shown"));
        read(unit);
        QCOMPARE(unit.receivedSinceMark(), QStringList{"NAME_CORRECTOR1"});
        QCOMPARE(unit.log.shown,
                 (QStringList{"Считывание параметров соединения с корректорами...",
                              "Не удалось считать параметры соединения с корректорами!"}));
        QCOMPARE(unit.log.colors.last(), LogColor::Red);
        QCOMPARE(unit.data.correctors.cell(C::TypeColumn, 1), QStringLiteral("shown"));
    }

    void shouldStopReadAtLostCarrier()
    {
        UnitSession unit;
        unit.start(true, 5); // group_info, three types, then SN_CORRECTOR1
        read(unit);
        QCOMPARE(unit.receivedSinceMark(), kReadOrder.mid(0, 4));
        QCOMPARE(unit.log.shown.mid(4, 1),
                 QStringList{"Не удалось считать серийный номер корректора [разъем X10]!"});
        QVERIFY(!unit.log.shown.contains(
            QStringLiteral("Считывание параметров соединения с корректорами завершено")));
        QVERIFY(unit.connection->carrierLost());
    }

    void shouldGoOnAfterFailedReadReply()
    {
        UnitSession unit;
        unit.unitOptions.ignored = {QStringLiteral("SN_CORRECTOR2")};
        unit.start();
        CorrectorsModel &correctors = unit.data.correctors;
        correctors.setCell(C::SerialColumn, 2, QStringLiteral("shown"));
        const QString baseline = correctors.serialBaseline(2);

        read(unit);

        // The silent query costs its own row only; every other query still goes out.
        QCOMPARE(unit.receivedSinceMark(), kReadOrder);
        const qsizetype failed = unit.log.shown.indexOf(
            QStringLiteral("Не удалось считать серийный номер корректора [разъем X15]!"));
        QVERIFY(failed > 0);
        QCOMPARE(unit.log.colors[failed], LogColor::Red);
        QCOMPARE(correctors.cell(C::SerialColumn, 2), QStringLiteral("shown"));
        QCOMPARE(correctors.serialBaseline(2), baseline);
        QCOMPARE(unit.log.shown.last(),
                 QStringLiteral("Считывание параметров соединения с корректорами завершено"));
        QVERIFY(!unit.connection->carrierLost());
    }

    void shouldKeepValueChangedWhenUnitRefusesIt_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("failure");
        QTest::newRow("serial number")
            << "SN_CORRECTOR1" << int(C::SerialColumn) << 1 << "42"
            << "Не удалось перезаписать серийный номер корректора [X10]!";
        QTest::newRow("speed") << "BrInt2" << int(C::SpeedColumn) << 2 << "9600"
                               << "Не удалось перезаписать скорость опроса корректора [X15]!";
        QTest::newRow("start date")
            << "ReadArchive3" << int(C::DateColumn) << 3 << "05.03.2016, 07:08:09"
            << "X11: Не удалось перезаписать начальную дату считывания архива!";
    }

    void shouldKeepValueChangedWhenUnitRefusesIt()
    {
        QFETCH(QString, key);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, failure);
        UnitSession unit;
        unit.unitOptions.refused = {key};
        unit.start();
        CorrectorsModel &correctors = unit.data.correctors;
        correctors.setCell(column, row, typed);
        // A later step of the same write still goes out.
        correctors.setCell(C::DateColumn, 1, QStringLiteral("06.03.2016, 07:08:09"));

        write(unit);

        QVERIFY(
            unit.receivedSinceMark().contains(QStringLiteral("ReadArchive1=06.03.2016 07:08:09")));
        const qsizetype failed = unit.log.shown.indexOf(failure);
        QVERIFY2(failed > 0, qPrintable(unit.log.shown.join(u'\n')));
        QCOMPARE(unit.log.colors[failed], LogColor::Red);
        for (const QString &line : std::as_const(unit.log.shown))
            QVERIFY2(!line.contains(QStringLiteral(" --> ") + typed), qPrintable(line));
        // Not taken by the unit: still changed, and the next write tries it again.
        QVERIFY(correctors.data(correctors.index(row, column), C::ChangedRole).toBool());
        QCOMPARE(unit.log.shown.last(),
                 QStringLiteral("Перезапись параметров опроса корректоров завершена."));
    }

    void shouldSayPortClosed()
    {
        UnitSession unit;
        unit.start();
        const std::unique_ptr<UnitLink> link = unit.connection->link();
        unit.connection->disconnect();
        unit.log.shown.clear();
        readCorrectors(*link, unit.data.correctors);
        writeCorrectors(*link, unit.data.correctors);
        detectCorrectors(*link, unit.data.correctors);
        QCOMPARE(unit.log.shown, (QStringList{"COM-порт закрыт!", "COM-порт закрыт!"}));
    }

    void shouldWriteWhatChanged_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("stillChanged");
        QTest::newRow("nothing changed") << 0 << 0 << "" << QStringList{} << "" << false;
        QTest::newRow("serial with blanks: sent trimmed, stays changed")
            << int(C::SerialColumn) << 2 << " 555 " << QStringList{"SN_CORRECTOR2=555"}
            << "Перезапись [X15,] серийный номер:  -->  555 " << true;
        QTest::newRow("signed serial as typed")
            << int(C::SerialColumn) << 1 << "+0042" << QStringList{"SN_CORRECTOR1=+0042"}
            << "Перезапись [X10,] серийный номер: 100234 --> +0042" << false;
        QTest::newRow("serial with letters") << int(C::SerialColumn) << 1 << "12a" << QStringList{}
                                             << "Введен некорректный серийный номер [X10]!" << true;
        QTest::newRow("serial emptied") << int(C::SerialColumn) << 1 << "" << QStringList{}
                                        << "Введен некорректный серийный номер [X10]!" << true;
        QTest::newRow("serial beyond 64 bits")
            << int(C::SerialColumn) << 1 << "99999999999999999999" << QStringList{}
            << "Введен некорректный серийный номер [X10]!" << true;
        QTest::newRow("speed") << int(C::SpeedColumn) << 1 << "19200" << QStringList{"BrInt1=19200"}
                               << "Перезапись [X10, скорость]: 9600 --> 19200" << false;
        QTest::newRow("no speed chosen is never sent")
            << int(C::SpeedColumn) << 3 << "" << QStringList{}
            << "Не выбрана скорость опроса корректора [X11]!" << true;
        QTest::newRow("start date sent without its comma")
            << int(C::DateColumn) << 2 << "05.03.2016, 07:08:09"
            << QStringList{"ReadArchive2=05.03.2016 07:08:09"}
            << "Перезапись [X15, нач. дата считывания]: 15.10.2026, 06:00:00 --> 05.03.2016, "
               "07:08:09"
            << false;
        QTest::newRow("start date no time")
            << int(C::DateColumn) << 1 << "05.03.2016, 27:08:09" << QStringList{}
            << "X10: Некорректная начальная дата считывания архива!" << true;
        QTest::newRow("start date no date")
            << int(C::DateColumn) << 1 << "35.03.2016, 07:08:09" << QStringList{}
            << "X10: Некорректная начальная дата считывания архива!" << true;
        QTest::newRow("empty start date is no 30.12.1899")
            << int(C::DateColumn) << 1 << "" << QStringList{}
            << "X10: Некорректная начальная дата считывания архива!" << true;
        QTest::newRow("start date without its time is no midnight")
            << int(C::DateColumn) << 1 << "05.03.2016, " << QStringList{}
            << "X10: Некорректная начальная дата считывания архива!" << true;
        QTest::newRow("start date without comma")
            << int(C::DateColumn) << 1 << "05.03.2016 07:08:09" << QStringList{}
            << "X10: Некорректная начальная дата считывания архива!" << true;
    }

    void shouldWriteWhatChanged()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QStringList, sent);
        QFETCH(QString, line);
        QFETCH(bool, stillChanged);
        UnitSession unit;
        unit.start();
        CorrectorsModel &correctors = unit.data.correctors;
        if (column > 0)
            correctors.setCell(column, row, typed);

        write(unit);

        QCOMPARE(unit.receivedSinceMark(), sent);
        QStringList expected{"Перезапись параметров опроса корректоров..."};
        if (column == C::SerialColumn)
            expected << line;
        else
            expected << "Серийные номера корректоров пользователем не изменены";
        if (column == C::SpeedColumn)
            expected << line;
        else
            expected << "Скорости опроса корректоров пользователем не изменены";
        if (column == C::DateColumn)
            expected << line;
        else
            expected << "Начальные даты считывания архивов пользователем не изменены";
        expected << "Перезапись параметров опроса корректоров завершена.";
        QCOMPARE(unit.log.shown, expected);
        QCOMPARE(unit.log.colors.first(), LogColor::Green);
        QCOMPARE(unit.log.colors.last(), LogColor::Green);
        if (column > 0) {
            QCOMPARE(correctors.data(correctors.index(row, column), C::ChangedRole).toBool(),
                     stillChanged);
            // What stayed changed is tried again by the next write.
            unit.markTrace();
            write(unit);
            QCOMPARE(unit.receivedSinceMark(), stillChanged ? sent : QStringList());
        }
    }

    void shouldStopWriteAtLostCarrier()
    {
        UnitSession unit;
        unit.start(true, 2); // group_info, then the first speed write
        CorrectorsModel &correctors = unit.data.correctors;
        correctors.setCell(C::SpeedColumn, 1, QStringLiteral("19200"));
        correctors.setCell(C::SpeedColumn, 2, QStringLiteral("9600"));
        correctors.setCell(C::DateColumn, 1, QStringLiteral("05.03.2016, 07:08:09"));
        write(unit);
        QCOMPARE(unit.receivedSinceMark(), QStringList{"BrInt1=19200"});
        QCOMPARE(unit.log.shown.mid(unit.log.shown.size() - 2, 1),
                 QStringList{"Не удалось перезаписать скорость опроса корректора [X10]!"});
        QVERIFY(!unit.log.shown.contains(
            QStringLiteral("Перезапись параметров опроса корректоров завершена.")));
        QVERIFY(unit.connection->carrierLost());
    }

    void shouldReadDetectionLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("parts");
        const int none = Found::None;
        const int found = Found::Corrector;
        const int unreadable = Found::Unreadable;
        QTest::newRow("a corrector") << "X10: Alpha, s/n 123, ver 1.0\r\n"
                                     << found << QStringList{"Alpha", "123", "1.0"};
        QTest::newRow("any text before the colon, blanks around parts")
            << "  port 1 :  Gas Cor, s/n  77 , ver  2.1  " << found
            << QStringList{"Gas Cor", "77", "2.1"};
        QTest::newRow("ver inside the type moves nothing")
            << "X11: Universal-200, s/n 5, ver 2" << found
            << QStringList{"Universal-200", "5", "2"};
        QTest::newRow("s/n inside the type moves nothing")
            << "X11: s/n-meter, s/n 6, ver 3" << found << QStringList{"s/n-meter", "6", "3"};
        QTest::newRow("another separating character")
            << "X10: A, s/n:9, ver:1" << found << QStringList{"A", "9", "1"};
        QTest::newRow("no corrector") << "X15: ---" << none << QStringList{"", "", ""};
        QTest::newRow("--- anywhere")
            << "X15: Alpha---, s/n 1, ver 1" << none << QStringList{"", "", ""};
        QTest::newRow("empty") << "\r\n" << none << QStringList{"", "", ""};
        QTest::newRow("no colon") << "X10 Alpha, s/n 1, ver 1" << unreadable
                                  << QStringList{"", "", ""};
        QTest::newRow("no s/n") << "X10: Alpha, ver 1" << unreadable << QStringList{"", "", ""};
        QTest::newRow("no ver") << "X10: Alpha, s/n 1" << unreadable << QStringList{"", "", ""};
    }

    void shouldReadDetectionLine()
    {
        QFETCH(QString, line);
        QFETCH(int, kind);
        QFETCH(QStringList, parts);
        const Found found = CorrectorDetection::parseLine(line);
        QCOMPARE(int(found.kind), kind);
        QCOMPARE((QStringList{found.type, found.serial, found.version}), parts);
    }

    void shouldFillGridFromDetection_data()
    {
        QTest::addColumn<QStringList>("answer");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("red");
        const QString end = QStringLiteral("[STOP CORRECTOR DETECT]");
        QTest::newRow("worked answer")
            << QStringList{"[START]", "X10: Alpha, s/n 123, ver 1.0", "---", "", end}
            << QStringList{"Alpha|123|1.0", "-----||-----", "-----||-----"} << "";
        QTest::newRow("short answer: rows without a line have no corrector")
            << QStringList{"[START]", "X10: Alpha, s/n 9, ver 2", end}
            << QStringList{"Alpha|9|2", "-----||-----", "-----||-----"} << "";
        QTest::newRow("unreadable line is said")
            << QStringList{"[START]", "---", "X15 garbled", "X11: B, s/n 4, ver 5", end}
            << QStringList{"-----||-----", "-----||-----", "B|4|5"}
            << "Не удалось разобрать строку автоопределения [разъем X15]: X15 garbled";
    }

    void shouldFillGridFromDetection()
    {
        QFETCH(QStringList, answer);
        QFETCH(QStringList, rows);
        QFETCH(QString, red);
        UnitSession unit;
        unit.unitOptions.stepMs = 20;
        unit.unitOptions.detectAnswer = answer;
        unit.start(true);
        CorrectorsModel &correctors = unit.data.correctors;
        const QString serialBefore = correctors.serialBaseline(1);

        detect(unit);

        QCOMPARE(unit.receivedSinceMark(), QStringList{"CORRECTOR_DETECT"});
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(row(correctors, r).join(u'|'), rows[r - 1]);
        QStringList expected{"Автоопределение подключенных корректоров..."};
        for (const QString &line : answer)
            expected << line;
        if (!red.isEmpty())
            expected << red;
        expected << "Корректоры определены.";
        QCOMPARE(unit.log.shown, expected);
        // The baselines stay: a detected serial number is sent by the next write.
        QCOMPARE(correctors.serialBaseline(1), serialBefore);
        QCOMPARE(correctors.data(correctors.index(1, C::SerialColumn), C::ChangedRole).toBool(),
                 row(correctors, 1)[1] != serialBefore);
    }

    void shouldShowProgressWhileAnswerArrives()
    {
        UnitSession unit;
        unit.unitOptions.stepMs = 100;
        unit.start(true);
        // Each progress line is in the log before the unit has sent the next one.
        qint64 sentAtFirst = -1;
        unit.log.onLog = [&unit, &sentAtFirst](const QString &line) {
            if (line == QStringLiteral("[START CORRECTOR DETECT]"))
                sentAtFirst = unit.sim->bytesSent();
        };
        const qint64 before = unit.sim->bytesSent();
        detect(unit);
        QVERIFY(sentAtFirst > before);
        QVERIFY(sentAtFirst < unit.sim->bytesSent());
        QCOMPARE(unit.log.shown.last(), QStringLiteral("Корректоры определены."));
    }

    void shouldSayDetectionFailedWhenNoEndLine()
    {
        UnitSession unit;
        // Connected on the fast clock; the detection's 50 s then pass on a driven one.
        const auto clock = std::make_shared<HandOverClock>();
        unit.clock = clock;
        unit.unitOptions.detectAnswer = {QStringLiteral("[START]"), QStringLiteral("X10: A")};
        unit.start(true);
        unit.data.correctors.setCell(C::TypeColumn, 1, QStringLiteral("shown"));
        const ScriptedClock &driven = clock->takeOver();
        detect(unit);
        QVERIFY(driven.elapsedMs() > 50000);
        QCOMPARE(unit.log.shown.last(),
                 QStringLiteral("Ошибка автоопределения подключенных корректоров!"));
        QCOMPARE(unit.log.colors.last(), LogColor::Red);
        QCOMPARE(unit.data.correctors.cell(C::TypeColumn, 1), QStringLiteral("shown"));
    }
};

QTEST_GUILESS_MAIN(CorrectorsOpsTest)
#include "tst_correctorsops.moc"
