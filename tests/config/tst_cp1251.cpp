#include "config/cp1251.h"

#include <QTest>

class Cp1251Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldRoundTripEveryByte()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        QCOMPARE(Cp1251::fromUnicode(Cp1251::toUnicode(all)), all);
    }

    void shouldMapCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("capital А..Я") << QStringLiteral("АЯ") << QByteArray("\xC0\xDF");
        QTest::newRow("small а..я") << QStringLiteral("ая") << QByteArray("\xE0\xFF");
        QTest::newRow("Ё ё") << QStringLiteral("Ёё") << QByteArray("\xA8\xB8");
        QTest::newRow("numero sign") << QStringLiteral("№") << QByteArray("\xB9");
        QTest::newRow("euro, dash, quotes")
            << QStringLiteral("€—«»") << QByteArray("\x88\x97\xAB\xBB");
        QTest::newRow("ASCII unchanged") << QStringLiteral("OK\r\n\t") << QByteArray("OK\r\n\t");
    }

    void shouldMapCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp1251::fromUnicode(text), bytes);
        QCOMPARE(Cp1251::toUnicode(bytes), text);
    }

    void shouldReplaceWhatTheCodePageLacks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Latin-1 letter") << QStringLiteral("é") << QByteArray("?");
        QTest::newRow("Chinese") << QStringLiteral("中") << QByteArray("?");
        QTest::newRow("outside the basic plane is one character")
            << QStringLiteral("a😀b") << QByteArray("a?b");
    }

    void shouldReplaceWhatTheCodePageLacks()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp1251::fromUnicode(text), bytes);
    }
};

QTEST_GUILESS_MAIN(Cp1251Test)
#include "tst_cp1251.moc"
