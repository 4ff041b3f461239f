#include "protocol/editmask.h"

#include <QTest>

class EditMaskTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldTranslateToQtMask_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("qtMask");
        QTest::newRow("time") << "!00:00:00;1;_"
                              << "99:99:99;_";
        QTest::newRow("phone with fixed 8") << "8!-0000000000;1;_"
                                            << "8-9999999999;_";
        QTest::newRow("optional digits") << "999;1;_"
                                         << "000;_";
        QTest::newRow("Qt command as literal is escaped") << "\\A0;1;*"
                                                          << "\\A9;*";
        QTest::newRow("letters and case") << ">LL<ll;1;_"
                                          << ">AA<aa;_";
        QTest::newRow("no mask") << ""
                                 << "";
    }

    void shouldTranslateToQtMask()
    {
        QFETCH(QString, mask);
        QFETCH(QString, qtMask);
        QCOMPARE(EditMask::parse(mask).qtMask(), qtMask);
    }

    void shouldStoreUnfilledPositionsAsBlanks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty time") << "!00:00:00;1;_"
                                    << "__:__:__"
                                    << "  :  :  ";
        QTest::newRow("partial time") << "!00:00:00;1;_"
                                      << "12:3_:__"
                                      << "12:3 :  ";
        QTest::newRow("empty phone") << "8!-0000000000;1;_"
                                     << "8-__________"
                                     << "8-          ";
        QTest::newRow("full phone") << "8!-0000000000;1;_"
                                    << "8-9161234567"
                                    << "8-9161234567";
    }

    void shouldStoreUnfilledPositionsAsBlanks()
    {
        QFETCH(QString, mask);
        QFETCH(QString, display);
        QFETCH(QString, stored);
        const EditMask parsed = EditMask::parse(mask);
        QCOMPARE(parsed.storedText(display), stored);
        QCOMPARE(parsed.editText(stored), display);
    }
};

QTEST_GUILESS_MAIN(EditMaskTest)
#include "tst_editmask.moc"
