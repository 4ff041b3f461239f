// A line pulled out from under the window (the simulated unit's end of the pseudo-terminal
// closed, as a pulled adapter closes it) while nothing talks, just before an operation, in the
// middle of a read or of a write, over a direct line and through the modem: the window ends
// not connected, the port let go of, with one red line that names the port and the reason,
// and no box.
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/radiogroup.h"
#include "app/widgets/settingstable.h"
#include "config/cp1251.h"
#include "protocol/settingsrows.h"
#include "support/session.h"
#include "support/widgetbyname.h"
#include "support/windowprobes.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

enum class When { BetweenOperations, BeforeRead, MidRead, MidWrite };

} // namespace

class LineLossTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldEndConnectionWithOneLineWhenLineGoes_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<int>("when");
        for (const bool modem : {false, true}) {
            const char *route = modem ? "through the modem" : "over a line";
            QTest::addRow("%s, between operations", route) << modem << int(When::BetweenOperations);
            QTest::addRow("%s, then Считать", route) << modem << int(When::BeforeRead);
            QTest::addRow("%s, mid-read", route) << modem << int(When::MidRead);
            QTest::addRow("%s, mid-write", route) << modem << int(When::MidWrite);
        }
    }

    void shouldEndConnectionWithOneLineWhenLineGoes()
    {
        QFETCH(bool, modem);
        QFETCH(int, when);
        Session s;
        s.start(Session::quickOptions(modem),
                modem ? QStringLiteral("gsm") : QStringLiteral("line"), QStringLiteral("1"));
        // Only the line's own end may tell the window: no keep-alive tick comes meanwhile.
        s.form->setKeepAliveIntervalForTests(600000);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        const qsizetype logged = s.log().size();
        s.prompt.boxes.clear();

        bool pulled = false;
        s.form->setEventPointHookForTests([&](const QString &where) {
            if (!pulled && s.sim && where.startsWith(QLatin1String("reader"))) {
                pulled = true;
                s.sim.reset();
            }
        });
        switch (When(when)) {
        case When::BetweenOperations:
            s.sim.reset();
            QTRY_VERIFY_WITH_TIMEOUT(widget<QPushButton>(*s.form, "Button12")->isEnabled(), 5000);
            break;
        case When::BeforeRead:
            s.sim.reset();
            QTest::mouseClick(s.form->settingsPage()->Button1, Qt::LeftButton);
            break;
        case When::MidRead:
            QTest::mouseClick(s.form->settingsPage()->Button1, Qt::LeftButton);
            break;
        case When::MidWrite: {
            QAbstractItemModel *rows = s.form->settingsPage()->VLESetting->model();
            rows->setData(rows->index(SettingsRows::ApnAddress, 1),
                          QStringLiteral("new.example.net"));
            rows->setData(rows->index(SettingsRows::FtpAddress, 1),
                          QStringLiteral("ftp.example.net"));
            QTest::mouseClick(s.form->settingsPage()->Button2, Qt::LeftButton);
            break;
        }
        }
        s.form->setEventPointHookForTests({});
        QVERIFY(!s.sim);

        const QString lost = QStringLiteral("Связь с прибором потеряна: порт ") + s.link() +
                             QStringLiteral(" недоступен (устройство отключено)");
        const QStringList log = s.log().mid(logged);
        QCOMPARE(std::count(log.begin(), log.end(), lost), 1);
        QVERIFY2(log.last() == lost, qPrintable(log.join(u'\n')));
        static const QRegularExpression stale(
            QStringLiteral("function failed|Port Not Open|Ошибка открытия порта!|завершен"));
        QVERIFY2(!log.join(u'\n').contains(stale), qPrintable(log.join(u'\n')));
        QCOMPARE(s.logFile().count(Cp1251::fromUnicode(u'\t' + lost + QStringLiteral("\r\n"))), 1);
        for (const RecordingPrompt::Box &box : std::as_const(s.prompt.boxes))
            QVERIFY2(box.kind != QStringLiteral("error"), qPrintable(box.text));

        // Not connected, as after a lost carrier; the port let go of.
        verifyNotConnected(*s.form);
        QVERIFY(!s.form->comPort());
        QVERIFY(widget<RadioGroup>(*s.form, "RadioGroup1")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    // The same while Connect itself talks: the modem's preparation, the dial, the first read.
    void shouldEndConnectWithOneLineWhenLineGoes_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<QString>("where");
        QTest::newRow("over a line, first read") << false << QStringLiteral("reader");
        QTest::newRow("through the modem, its preparation") << true << QStringLiteral("reader");
        QTest::newRow("through the modem, the dial") << true << QStringLiteral("dial");
    }

    void shouldEndConnectWithOneLineWhenLineGoes()
    {
        QFETCH(bool, modem);
        QFETCH(QString, where);
        Session s;
        s.start(Session::quickOptions(modem),
                modem ? QStringLiteral("gsm") : QStringLiteral("line"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(600000);
        const qsizetype logged = s.log().size();
        s.form->setEventPointHookForTests([&](const QString &point) {
            if (s.sim && point.startsWith(where))
                s.sim.reset();
        });
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        s.form->setEventPointHookForTests({});
        QVERIFY(!s.sim);

        // The reason depends on how the line went (a hang-up, a vanished device).
        const QString lost = QStringLiteral("Связь с прибором потеряна: порт ") + s.link() +
                             QStringLiteral(" недоступен (");
        const QStringList log = s.log().mid(logged);
        QVERIFY2(log.filter(QRegularExpression(u'^' + QRegularExpression::escape(lost))).size() ==
                     1,
                 qPrintable(log.join(u'\n')));
        static const QRegularExpression stale(
            QStringLiteral("function failed|Port Not Open|Ошибка открытия порта!"));
        QVERIFY2(!log.join(u'\n').contains(stale), qPrintable(log.join(u'\n')));
        for (const RecordingPrompt::Box &box : std::as_const(s.prompt.boxes))
            QVERIFY2(box.kind != QStringLiteral("error"), qPrintable(box.text));
        verifyNotConnected(*s.form);
        QVERIFY(!s.form->comPort());
        QVERIFY(!QApplication::overrideCursor());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    LineLossTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lineloss.moc"
