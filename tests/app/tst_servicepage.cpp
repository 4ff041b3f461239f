// The service page in the window against the simulated unit: the identity fields and their
// limits, a new serial number and name reaching the title, and clearing the settings with the
// pages read back.
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/captionpanel.h"
#include "protocol/settingsrows.h"
#include "support/session.h"
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
