#include "app/tavixapplication.h"
#include "config/cp1251.h"
#include "protocol/protocolkeys.h"
#include "support/session.h"
#include "support/widgetbyname.h"
#include "support/windowprobes.h"
#include "unit/unitbackup.h"
#include "unitstate.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>

namespace {

QStringList backupsIn(const Session &s)
{
    return QDir(s.dir.filePath(QStringLiteral("backups")))
        .entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class BackupsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QApplication::restoreOverrideCursor(); }

    void shouldKeepWhatUnitHeldAtEveryConnect()
    {
        Session s;
        s.now = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0));
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());

        QCOMPARE(backupsIn(s), QStringList{"1047_20261210_093000.ini"});
        const QString path = s.dir.filePath(QStringLiteral("backups/1047_20261210_093000.ini"));
        QString why;
        const std::optional<UnitSnapshot> kept = UnitBackup::read(path, &why);
        QVERIFY2(kept, qPrintable(why));
        const UnitState unit;
        for (int key = 0; key < Protocol::KeyCount; ++key) {
            if (key != Protocol::date)
                QCOMPARE(kept->values[key], unit.value(key));
        }
        QCOMPARE(kept->taken, s.now);
        // Said in the file only: the pane's lines of a Connect stay as they are.
        QCOMPARE(s.log(), (QStringList{"Соединение по СОМ - порту установлено",
                                       "Считывание настроек...", "Считывание настроек завершено"}));
        QVERIFY(s.logFile().contains(
            Cp1251::fromUnicode(QStringLiteral("\tРезервная копия настроек прибора: ") + path +
                                QStringLiteral("\r\n"))));

        // The next Connect keeps a second one beside it; the first stays as it was.
        const QByteArray first = readBytes(path);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QCOMPARE(backupsIn(s),
                 (QStringList{"1047_20261210_093000-2.ini", "1047_20261210_093000.ini"}));
        QCOMPARE(readBytes(path), first);
    }

    void shouldConnectAllTheSameWhenBackupCannotBeSaved()
    {
        Session s;
        writeBytes(s.dir.filePath(QStringLiteral("backups")), "a file, not a folder");
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);

        const QStringList log = s.log();
        QCOMPARE(log.size(), 4);
        QCOMPARE(log[2], QStringLiteral("Считывание настроек завершено"));
        QVERIFY2(log[3].startsWith(
                     QStringLiteral("Не удалось сохранить резервную копию настроек прибора: ")),
                 qPrintable(log[3]));
        QVERIFY(log[3].contains(s.dir.filePath(QStringLiteral("backups"))));
        QVERIFY(s.form->portConnected());
        QVERIFY(widget<QPushButton>(*s.form, "Button14")->isEnabled());
        for (const QPushButton *button : operationButtons(*s.form))
            QVERIFY(button->isEnabled());
        QCOMPARE(readBytes(s.dir.filePath(QStringLiteral("backups"))),
                 QByteArray("a file, not a folder"));
    }

    void shouldKeepNothingWhenReadFails()
    {
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.silentAfter = 0;
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(!s.form->portConnected());
        QVERIFY(backupsIn(s).isEmpty());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    BackupsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backups.moc"
