#include "app/dialogs/comparedialog.h"
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "config/cp1251.h"
#include "protocol/protocolkeys.h"
#include "support/session.h"
#include "support/simtrace.h"
#include "support/widgetbyname.h"
#include "unit/unitbackup.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace Protocol;

namespace {

// A window connected to the simulated unit over a line, with a file that differs from the unit
// in three settings (and in what is never compared: the identity and the clock).
struct Compared
{
    Session s;
    QString file;
    QString trace;

    Compared()
    {
        SimOptions options = Session::quickOptions(false);
        trace = s.dir.filePath(QStringLiteral("trace.txt"));
        options.traceFile = trace;
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        UnitSnapshot saved = Snapshot::of(s.form->unitData(), QDateTime::currentDateTime());
        saved.values[GPRSapn] = QStringLiteral("old.apn");
        saved.values[Mask1 + 1] = QStringLiteral("3");
        saved.values[BrInt1 + 2] = QStringLiteral("9600");
        saved.values[DEVSERIAL] = QStringLiteral("2000");
        saved.values[date] = QStringLiteral("01.01.2020 00:00:00");
        saved.deviceNumber = QStringLiteral("2000");
        file = s.dir.filePath(QStringLiteral("before.ini"));
        QString why;
        if (!UnitBackup::writeNew(file, saved, &why))
            qFatal("%s", qPrintable(why));
    }

    CompareDialog *open()
    {
        s.prompt.fileToOpen = file;
        QTest::mouseClick(widget<QToolButton>(*s.form, "ButtonCompare"), Qt::LeftButton);
        return s.form->findChild<CompareDialog *>();
    }
};

} // namespace

class CompareDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QApplication::restoreOverrideCursor(); }

    void shouldListExactlyTheSettingsThatDiffer()
    {
        Compared c;
        CompareDialog *dialog = c.open();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(c.s.prompt.boxes.last().kind, QStringLiteral("open"));
        QCOMPARE(c.s.prompt.boxes.last().text, c.s.dir.filePath(QStringLiteral("backups")));
        const QTableWidget &table = *dialog->CompareTable;
        QCOMPARE(table.rowCount(), 3);
        const auto row = [&table](int r) {
            return QStringList{table.item(r, 0)->text(), table.item(r, 1)->text(),
                               table.item(r, 2)->text()};
        };
        QCOMPARE(row(0), (QStringList{"APN адрес", "internet.example.net", "old.apn"}));
        QCOMPARE(row(1), (QStringList{"Реакция на срабатывание датчика 2", "Нет реакции",
                                      "Передать СМС и архив по GPRS"}));
        QCOMPARE(row(2), (QStringList{"Скорость корректора на X11", "19200", "9600"}));
        for (int r = 0; r < 3; ++r)
            QCOMPARE(table.item(r, 0)->checkState(), Qt::Checked);
        QVERIFY(dialog->LabelFile->text().contains(QStringLiteral("прибор № 2000")));
    }

    // Applied values are the operator's, as if typed: shown changed, baselines untouched, and
    // each page's write sends exactly them.
    void shouldApplyCheckedValuesForPagesToWrite()
    {
        Compared c;
        CompareDialog *dialog = c.open();
        QVERIFY(dialog);
        dialog->CompareTable->item(2, 0)->setCheckState(Qt::Unchecked);
        QTest::mouseClick(dialog->ButtonApply, Qt::LeftButton);
        QTRY_VERIFY(!c.s.form->findChild<CompareDialog *>());

        UnitData &data = c.s.form->unitData();
        QCOMPARE(data.settings.value(GPRSapn), QStringLiteral("old.apn"));
        QCOMPARE(data.settings.baseline(GPRSapn), QStringLiteral("internet.example.net"));
        QVERIFY(data.settings.isChanged(GPRSapn));
        QCOMPARE(data.sensors.cell(SensorsModel::ReactionColumn, 2),
                 QStringLiteral("Передать СМС и архив по GPRS"));
        QCOMPARE(data.sensors.reactionBaseline(2), QStringLiteral("Нет реакции"));
        QVERIFY(
            data.sensors
                .data(data.sensors.index(2, SensorsModel::ReactionColumn), TextGrid::ChangedRole)
                .toBool());
        QCOMPARE(data.correctors.cell(CorrectorsModel::SpeedColumn, 3), QStringLiteral("19200"));
        QVERIFY(c.s.log().last().startsWith(
            QStringLiteral("Значения из файла перенесены на страницы: APN адрес, Реакция на "
                           "срабатывание датчика 2.")));

        const int before = int(tracedCommands(c.trace).size());
        QTest::mouseClick(c.s.form->settingsPage()->Button2, Qt::LeftButton);
        QTest::mouseClick(c.s.form->sensorsPage()->Button10, Qt::LeftButton);
        const QStringList sent = tracedCommands(c.trace).mid(before).filter(QStringLiteral("="));
        QVERIFY2(sent.contains(QStringLiteral("GPRSapn=old.apn")), qPrintable(sent.join(u'|')));
        QVERIFY2(sent.contains(QStringLiteral("Mask2=3")), qPrintable(sent.join(u'|')));
        for (const QString &line : sent)
            QVERIFY2(!line.startsWith(QStringLiteral("GPRSlogin=")) &&
                         !line.startsWith(QStringLiteral("Mask1=")) &&
                         !line.startsWith(QStringLiteral("BrInt")),
                     qPrintable(line));
        QCOMPARE(data.settings.baseline(GPRSapn), QStringLiteral("old.apn"));
    }

    void shouldMarkValuesPagesWouldRefuse_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("a reaction outside its codes") << int(Mask1) << "9";
        QTest::newRow("an escape sequence") << int(GPRSlogin) << "a\x1b[2Jb";
        QTest::newRow("sensors beyond the six") << int(ESTATSENS) << "99";
        QTest::newRow("no such day") << int(ReadArchive1) << "31.02.2026 00:00:00";
    }

    // A file value the page would refuse is marked as such in plain words, and Apply leaves it
    // out: the page keeps what it had.
    void shouldMarkValuesPagesWouldRefuse()
    {
        QFETCH(int, key);
        QFETCH(QString, value);
        Compared c;
        QString why;
        std::optional<UnitSnapshot> saved = UnitBackup::read(c.file, &why);
        QVERIFY2(saved, qPrintable(why));
        saved->values[key] = value;
        c.file = c.s.dir.filePath(QStringLiteral("odd.ini"));
        QVERIFY2(UnitBackup::writeNew(c.file, *saved, &why), qPrintable(why));
        // What the pages show of the refused value's key.
        const auto shown = [&c] {
            const UnitData &data = c.s.form->unitData();
            QStringList cells{data.settings.value(GPRSlogin),
                              data.correctors.cell(CorrectorsModel::DateColumn, 1),
                              data.sensors.cell(SensorsModel::ReactionColumn, 1)};
            for (int sensor = 1; sensor <= SensorsModel::kSensors; ++sensor)
                cells << data.sensors.cell(SensorsModel::AlarmColumn, sensor);
            return cells;
        };
        const QStringList before = shown();

        CompareDialog *dialog = c.open();
        QVERIFY(dialog);
        const QTableWidget &table = *dialog->CompareTable;
        const int row = int(dialog->keys().indexOf(key));
        QVERIFY(row >= 0);
        QVERIFY2(table.item(row, 2)->text().startsWith(QStringLiteral("НЕДОПУСТИМО: ")),
                 qPrintable(table.item(row, 2)->text()));
        QCOMPARE(table.item(row, 0)->checkState(), Qt::Unchecked);
        QVERIFY(!(table.item(row, 0)->flags() & Qt::ItemIsUserCheckable));
        QTest::mouseClick(dialog->ButtonApply, Qt::LeftButton);
        QTRY_VERIFY(!c.s.form->findChild<CompareDialog *>());

        UnitData &data = c.s.form->unitData();
        QCOMPARE(data.settings.value(GPRSapn), QStringLiteral("old.apn"));
        QCOMPARE(shown(), before);
    }

    void shouldChangeNothingWhenClosed()
    {
        Compared c;
        CompareDialog *dialog = c.open();
        QVERIFY(dialog);
        QTest::mouseClick(dialog->ButtonClose, Qt::LeftButton);
        QTRY_VERIFY(!c.s.form->findChild<CompareDialog *>());
        QVERIFY(!c.s.form->unitData().settings.isChanged(GPRSapn));
        QCOMPARE(c.s.form->unitData().sensors.cell(SensorsModel::ReactionColumn, 2),
                 QStringLiteral("Нет реакции"));
    }

    // Before a whole read there is no unit to compare with: the pages' empty baselines would
    // pass for the unit's ("Размыкание: нет"), and what Apply put into the pages would go under
    // the connect-time read unseen.
    void shouldNotCompareBeforeUnitWasRead()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        UnitSnapshot saved;
        saved.values[GPRSapn] = QStringLiteral("old.apn");
        saved.values[ESTATSENS] = QStringLiteral("0");
        const QString file = s.dir.filePath(QStringLiteral("before.ini"));
        QString why;
        QVERIFY2(UnitBackup::writeNew(file, saved, &why), qPrintable(why));
        s.prompt.fileToOpen = file;
        QTest::mouseClick(widget<QToolButton>(*s.form, "ButtonCompare"), Qt::LeftButton);
        QVERIFY(!s.form->findChild<CompareDialog *>());
        QCOMPARE(s.prompt.boxes.last().kind, QStringLiteral("inform"));
        QVERIFY2(s.prompt.boxes.last().text.contains(QStringLiteral("не считаны")),
                 qPrintable(s.prompt.boxes.last().text));
        QVERIFY(!s.form->unitData().settings.isChanged(GPRSapn));
    }

    // A backup edited in a Linux editor and saved as UTF-8 shows its Russian text as written.
    void shouldShowFileSavedAsUtf8AsWritten_data()
    {
        QTest::addColumn<bool>("utf8");
        QTest::newRow("UTF-8") << true;
        QTest::newRow("Windows-1251") << false;
    }

    void shouldShowFileSavedAsUtf8AsWritten()
    {
        QFETCH(bool, utf8);
        Compared c;
        const QString text = Cp1251::toUnicode(readBytes(c.file))
                                 .replace(QStringLiteral("GPRSlogin=\"gdata\""),
                                          QStringLiteral("GPRSlogin=\"Пользователь\""));
        QVERIFY(text.contains(QStringLiteral("Пользователь")));
        writeBytes(c.file, utf8 ? text.toUtf8() : Cp1251::fromUnicode(text));
        CompareDialog *dialog = c.open();
        QVERIFY(dialog);
        const QTableWidget &table = *dialog->CompareTable;
        QStringList fileValues;
        for (int r = 0; r < table.rowCount(); ++r)
            fileValues << table.item(r, 2)->text();
        QVERIFY2(fileValues.contains(QStringLiteral("Пользователь")),
                 qPrintable(fileValues.join(u'|')));
        const QString notice =
            QStringLiteral("Файл ") + c.file + QStringLiteral(" прочитан в кодировке UTF-8");
        QCOMPARE(c.s.log().contains(notice), utf8);
    }

    void shouldSayWhyFileCannotBeCompared()
    {
        Compared c;
        writeBytes(c.file + QStringLiteral(".txt"), "[GSMSET]\r\nSpeed=9600\r\n");
        c.file += QStringLiteral(".txt");
        QVERIFY(!c.open());
        QVERIFY(c.s.log().last().startsWith(
            QStringLiteral("Не удалось прочитать файл настроек: в файле нет раздела [SETTINGS]")));
        QCOMPARE(c.s.prompt.boxes.last().kind, QStringLiteral("inform"));

        // Cancelled: nothing at all.
        const int boxes = int(c.s.prompt.boxes.size());
        c.file.clear();
        QVERIFY(!c.open());
        QCOMPARE(c.s.prompt.boxes.size(), boxes + 1); // the file choice only
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    CompareDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_comparedialog.moc"
