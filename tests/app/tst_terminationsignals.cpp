#include "app/terminationsignals.h"
#include "config/cp1251.h"
#include "support/formfixture.h"
#include "support/session.h"
#include "support/widgetbyname.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <unistd.h>

// A shutdown, a closed terminal or Ctrl+C closes the window as the operator would, so the
// unit is told goodbye and does not stay in service mode.
class TerminationSignalsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldSayGoodbyeToUnitOnSignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("goodbye");

        QTest::newRow("SIGTERM, direct line") << SIGTERM << "line"
                                              << "Выход из командного режима выполнен успешно.";
        QTest::newRow("SIGINT, direct line") << SIGINT << "line"
                                             << "Выход из командного режима выполнен успешно.";
        QTest::newRow("SIGHUP, GSM modem") << SIGHUP << "gsm"
                                           << "Cоединение завершено. Модем повесил трубку.";
    }

    void shouldSayGoodbyeToUnitOnSignal()
    {
        QFETCH(int, signalNumber);
        QFETCH(QString, type);
        QFETCH(QString, goodbye);
        Session s;
        s.start(Session::quickOptions(type == QStringLiteral("gsm")), type, QStringLiteral("1"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        const TerminationSignals closeOnSignal(*s.form);

        QCOMPARE(::kill(::getpid(), signalNumber), 0);

        QTRY_VERIFY_WITH_TIMEOUT(!s.form->isVisible(), 10000);
        QVERIFY(s.log().contains(QStringLiteral("Завершение соединения...")));
        QVERIFY(s.log().contains(goodbye));
        QVERIFY(!s.form->comPort());
        const QString signalLine =
            QStringLiteral("\tПолучен сигнал %1: программа закрывается\r\n")
                .arg(QString::fromLatin1(QTest::currentDataTag()).section(u',', 0, 0));
        QVERIFY(s.logFile().contains(Cp1251::fromUnicode(signalLine)));
        QVERIFY(s.logFile().contains(Cp1251::fromUnicode(goodbye)));
    }

    void shouldCloseOpenDialogsWithWindow()
    {
        FormFixture fixture;
        auto form = fixture.start({});
        form->show();
        // A dialog with an answer outstanding would keep the program alive past the close.
        QDialog dialog(form.get());
        dialog.setModal(true);
        dialog.show();
        const TerminationSignals closeOnSignal(*form);

        QCOMPARE(::kill(::getpid(), SIGTERM), 0);

        QTRY_VERIFY(!form->isVisible());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(readBytes(fixture.logPath()).contains(Cp1251::fromUnicode(u"СОМ-порт закрыт!")));
    }

    void shouldGiveSignalsBackWhenGone()
    {
        FormFixture fixture;
        auto form = fixture.start({});
        struct sigaction earlier = {};
        earlier.sa_handler = SIG_IGN;
        struct sigaction saved = {};
        QCOMPARE(::sigaction(SIGHUP, &earlier, &saved), 0);
        const auto handlerNow = [] {
            struct sigaction now = {};
            ::sigaction(SIGHUP, nullptr, &now);
            return now.sa_handler;
        };
        {
            const TerminationSignals closeOnSignal(*form);
            QVERIFY(handlerNow() != SIG_IGN);
        }
        const auto restored = handlerNow();
        ::sigaction(SIGHUP, &saved, nullptr);
        QVERIFY(restored == SIG_IGN);
    }
};

QTEST_MAIN(TerminationSignalsTest)
#include "tst_terminationsignals.moc"
