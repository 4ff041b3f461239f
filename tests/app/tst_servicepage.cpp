// The service page in the window against the simulated unit: the identity fields and their
// limits, a new serial number and name reaching the title, and clearing the settings with the
// pages read back.
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/captionpanel.h"
#include "config/cp1251.h"
#include "protocol/settingsrows.h"
#include "support/session.h"
#include "support/simtrace.h"
#include "support/widgetbyname.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class ServicePageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldLimitIdentityFields_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("serial digits only") << true << "12a3-4"
                                            << "1234";
        QTest::newRow("serial ten digits at most") << true << "123456789012"
                                                   << "1234567890";
        QTest::newRow("name ten characters at most") << false << "TAVIX-M 12345"
                                                     << "TAVIX-M 12";
    }

    void shouldLimitIdentityFields()
    {
        QFETCH(bool, serial);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QLineEdit *field = serial ? s.form->servicePage()->Edit3 : s.form->servicePage()->Edit4;
        QTest::keyClicks(field, typed);
        QCOMPARE(field->text(), kept);
    }

    // The ten characters are a limit for typing only: a longer value the unit reports is
    // shown whole, Записать never sends it cut short, and typing still stops at ten.
    void shouldShowReportedIdentityWhole_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("reported");
        QTest::newRow("name of 14 characters") << false << "TAVIX-M 123456";
        QTest::newRow("name of 14 Cyrillic letters") << false << "Узел учёта газ";
        QTest::newRow("serial number of 14 digits") << true << "12345678901234";
    }

    void shouldShowReportedIdentityWhole()
    {
        QFETCH(bool, serial);
        QFETCH(QString, reported);
        const QString key = serial ? QStringLiteral("DEVSERIAL") : QStringLiteral("DEVNAME");
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        options.unitOptions.stateFile = s.dir.filePath(QStringLiteral("unit.ini"));
        writeBytes(options.unitOptions.stateFile,
                   Cp1251::fromUnicode(QStringLiteral("[UNIT]\r\n") + key + QStringLiteral("=\"") +
                                       reported + QStringLiteral("\"\r\n")));
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        ServicePage *page = s.form->servicePage();
        widget<QTabWidget>(*s.form, "PageControl1")->setCurrentWidget(page);
        QLineEdit *field = serial ? page->Edit3 : page->Edit4;

        QTest::mouseClick(serial ? page->Button3 : page->Button5, Qt::LeftButton);
        QCOMPARE(field->text(), reported);
        // Typing at its end makes it no longer.
        field->setFocus();
        field->end(false);
        QTest::keyClicks(field, QStringLiteral("77"));
        QCOMPARE(field->text(), reported);

        QTest::mouseClick(serial ? page->Button4 : page->Button6, Qt::LeftButton);
        const QStringList assignments = tracedCommands(options.traceFile).filter(key + u'=');
        for (const QString &line : assignments)
            QCOMPARE(line, key + u'=' + reported);
        if (!serial)
            QCOMPARE(assignments.size(), 1);

        // Typed anew, the field takes ten characters again.
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, QStringLiteral("123456789012"));
        QCOMPARE(field->text(), QStringLiteral("1234567890"));
    }

    void shouldWriteIdentityAndShowItInTitle()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        ServicePage *page = s.form->servicePage();
        widget<QTabWidget>(*s.form, "PageControl1")->setCurrentWidget(page);

        QTest::mouseClick(page->Button3, Qt::LeftButton);
        QCOMPARE(page->Edit3->text(), QStringLiteral("1047"));
        page->Edit3->setText(QStringLiteral("2048"));
        QTest::mouseClick(page->Button4, Qt::LeftButton);
        page->Edit4->setText(QStringLiteral(" Узел-7 "));
        QTest::mouseClick(page->Button6, Qt::LeftButton);
        QCOMPARE(s.prompt.boxes.size(), 2);
        QCOMPARE(s.prompt.boxes[0].text, QStringLiteral("Серийный номер изменен!"));
        QCOMPARE(s.prompt.boxes[1].text, QStringLiteral("Наименование прибора изменено!"));
        QCOMPARE(widget<CaptionPanel>(*s.form, "Panel4")->caption(),
                 QStringLiteral("Узел-7 № 2048, версия 2.07"));

        page->Edit4->clear();
        QTest::mouseClick(page->Button5, Qt::LeftButton);
        QCOMPARE(page->Edit4->text(), QStringLiteral("Узел-7"));
        QVERIFY(page->Button5->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
    }

    void shouldEndQuietlyWhenWindowClosesDuringWaitForReply()
    {
        // On the computer's clock the reader waits on the port with the window's events
        // running: the window closes in the middle of that wait.
        Session s;
        s.linkClock = std::make_shared<SteadyLinkClock>();
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.latencyMs = 400;
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        QTimer::singleShot(150, s.form.get(), [&s] { s.form->close(); });
        QTest::mouseClick(s.form->servicePage()->Button3, Qt::LeftButton);
        QTRY_VERIFY(!s.form->comPort());
        QVERIFY(!s.form->isVisible());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(s.prompt.boxes.isEmpty());
        QCOMPARE(s.log().count(QStringLiteral("Завершение соединения...")), 1);
    }

    void shouldClearSettingsAndShowPagesReadBack()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        ServicePage *page = s.form->servicePage();
        QVERIFY(page->Button19->isEnabled());
        QCOMPARE(s.form->unitData().settings.value(SettingsRows::ApnAddress),
                 QStringLiteral("internet.example.net"));
        s.prompt.boxes.clear();

        QTest::mouseClick(page->Button19, Qt::LeftButton);

        QCOMPARE(s.prompt.boxes.size(), 1);
        QCOMPARE(s.prompt.boxes[0].caption, QStringLiteral("Настройки Тавикс-М"));
        QCOMPARE(s.log().last(), QStringLiteral("Считывание настроек завершено"));
        QCOMPARE(s.form->unitData().settings.value(SettingsRows::ApnAddress), QString());
        QCOMPARE(s.form->unitData().settings.value(SettingsRows::Phone1), QString());
        QVERIFY(page->Button19->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    ServicePageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_servicepage.moc"
