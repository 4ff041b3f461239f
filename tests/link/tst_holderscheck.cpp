// The check for other holders of a port, run beside the window's thread: its warning comes back
// on the thread that started it, through the event loop, and nothing comes of a check that was
// stopped, started again or ended with its owner.
#include "link/holderscheck.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

enum class Then { Stop, StartAgain, End };

} // namespace

Q_DECLARE_METATYPE(Then)

class HoldersCheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldHandWarningBackOnStartingThread()
    {
        std::atomic<QThread *> scannedOn{nullptr};
        HoldersCheck check([&scannedOn](const QString &port, const std::atomic_bool &) {
            scannedOn = QThread::currentThread();
            return std::optional<QString>(QStringLiteral("held: ") + port);
        });
        QStringList found;
        QThread *foundOn = nullptr;
        check.start(QStringLiteral("/dev/ttyS0"), [&](const QString &warning) {
            found << warning;
            foundOn = QThread::currentThread();
        });
        QVERIFY(found.isEmpty()); // never from inside start
        QTRY_COMPARE(found, QStringList{QStringLiteral("held: /dev/ttyS0")});
        QCOMPARE(foundOn, QThread::currentThread());
        QVERIFY(scannedOn.load() != QThread::currentThread());
    }

    void shouldSayNothingWhenPortIsOursAlone()
    {
        std::atomic_bool scanned{false};
        HoldersCheck check([&scanned](const QString &, const std::atomic_bool &) {
            scanned = true;
            return std::optional<QString>();
        });
        int calls = 0;
        check.start(QStringLiteral("/dev/ttyS0"), [&calls](const QString &) { ++calls; });
        QTRY_VERIFY(scanned.load());
        check.stop();
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
    }

    // What ends a check before its warning is delivered: the warning is dropped, whether the
    // scan was still walking (it stops at once) or had found it already.
    void shouldDropWarningOfEndedCheck_data()
    {
        QTest::addColumn<bool>("found");
        QTest::addColumn<Then>("then");
        QTest::newRow("walking, stopped") << false << Then::Stop;
        QTest::newRow("walking, started again") << false << Then::StartAgain;
        QTest::newRow("walking, owner gone") << false << Then::End;
        QTest::newRow("found, stopped") << true << Then::Stop;
        QTest::newRow("found, started again") << true << Then::StartAgain;
        QTest::newRow("found, owner gone") << true << Then::End;
    }

    void shouldDropWarningOfEndedCheck()
    {
        QFETCH(bool, found);
        QFETCH(Then, then);
        std::atomic_int runs{0};
        std::atomic_bool returned{false};
        // The first run walks until stopped, or finds at once; a later run finds at once.
        auto check = std::make_unique<HoldersCheck>(
            [&, found](const QString &port, const std::atomic_bool &stop) {
                const int run = ++runs;
                if (run == 1 && !found) {
                    while (!stop.load())
                        QThread::usleep(200);
                    returned = true;
                    return std::optional<QString>(QStringLiteral("late"));
                }
                returned = run == 1 || returned.load();
                return std::optional<QString>(QString::number(run) + u' ' + port);
            });
        QStringList said;
        check->start(QStringLiteral("A"), [&said](const QString &warning) { said << warning; });
        // Waited for without running events, so that its warning is not delivered yet.
        while (found && !returned.load())
            QThread::usleep(200);
        switch (then) {
        case Then::Stop:
            check->stop();
            break;
        case Then::StartAgain:
            check->start(QStringLiteral("B"), [&said](const QString &warning) { said << warning; });
            break;
        case Then::End:
            check.reset();
            break;
        }
        if (then == Then::StartAgain) {
            QTRY_COMPARE(said, QStringList{QStringLiteral("2 B")});
        } else {
            QCoreApplication::processEvents();
            QCOMPARE(said, QStringList());
        }
        QVERIFY(returned.load());
    }
};

QTEST_GUILESS_MAIN(HoldersCheckTest)

#include "tst_holderscheck.moc"
