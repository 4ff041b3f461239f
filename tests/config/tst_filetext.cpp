// Which files are read as UTF-8: valid UTF-8 holding a character of more than one byte; any
// other file, Windows-1251 Russian text above all, as Windows-1251.
#include "config/cp1251.h"
#include "config/filetext.h"

#include <QTest>

class FileTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadAsUtf8OnlyValidMultiByteText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");
        const QString user = QStringLiteral("GPRSlogin=\"Пользователь\"\r\n");
        QTest::newRow("UTF-8 Russian") << user.toUtf8() << true << user;
        QTest::newRow("UTF-8 with a byte order mark")
            << QByteArray("\xEF\xBB\xBF") + user.toUtf8() << true << user;
        QTest::newRow("UTF-8 of four bytes")
            << QByteArray("a=\xF0\x9F\x98\x80") << true << QString::fromUtf8("a=\xF0\x9F\x98\x80");
        QTest::newRow("Windows-1251 Russian") << Cp1251::fromUnicode(user) << false << user;
        QTest::newRow("Windows-1251 upper case with Ё and №")
            << Cp1251::fromUnicode(u"ДАТЧИК №1 ЁЛКА") << false << QStringLiteral("ДАТЧИК №1 ЁЛКА");
        QTest::newRow("plain ASCII") << QByteArray("[GSMSET]\r\nSpeed=9600\r\n") << false
                                     << QStringLiteral("[GSMSET]\r\nSpeed=9600\r\n");
        QTest::newRow("empty") << QByteArray() << false << QString();
        QTest::newRow("UTF-8 then one Windows-1251 letter")
            << QByteArray("\xD0\x9F \xCF") << false << QStringLiteral("Рџ П");
        QTest::newRow("sequence cut at the end")
            << QByteArray("a\xD0") << false << QStringLiteral("aР");
        QTest::newRow("overlong form of '/'")
            << QByteArray("\xC0\xAF") << false << QStringLiteral("АЇ");
        QTest::newRow("surrogate half")
            << QByteArray("\xED\xA0\x80") << false << Cp1251::toUnicode("\xED\xA0\x80");
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << false << Cp1251::toUnicode("\xF4\x90\x80\x80");
    }

    void shouldReadAsUtf8OnlyValidMultiByteText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        QCOMPARE(FileText::isMultiByteUtf8(bytes), utf8);
        const FileText::Decoded decoded = FileText::decode(bytes);
        QCOMPARE(decoded.utf8, utf8);
        QCOMPARE(decoded.text, text);
    }
};

QTEST_APPLESS_MAIN(FileTextTest)

#include "tst_filetext.moc"
