#include "app/logcolors.h"
#include "support/formfixture.h"
#include "support/widgetbyname.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

namespace {

QStringList paneLines(const TForm1 &form)
{
    return widget<QTextEdit>(form, "LogRichEdit")->toPlainText().split(u'\n');
}

QColor lastLineColor(const TForm1 &form)
{
    const QTextBlock last = widget<QTextEdit>(form, "LogRichEdit")->document()->lastBlock();
    return last.begin().fragment().charFormat().foreground().color();
}

const QRegularExpression kPaneStamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  "));
const QRegularExpression
    kFileStamp(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d:\\d{3}\\t"));

QStringList numbered(const QString &prefix, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << prefix + QString::number(i);
    return lines;
}

// The pane's lines after their stamps, without the pane's empty first line.
QStringList paneMessages(const TForm1 &form)
{
    QStringList messages = paneLines(form).mid(1);
    for (QString &line : messages)
        line = line.mid(10);
    return messages;
}

// Log.txt's lines after their stamps, each checked whole: stamp, TAB, text, CR LF.
QStringList fileMessages(const QString &path)
{
    QStringList messages;
    for (const QByteArray &line : readBytes(path).split('\n')) {
        if (line.isEmpty())
            continue;
        if (!line.endsWith('\r') || !kFileStamp.match(QString::fromLatin1(line)).hasMatch())
            return {QStringLiteral("torn: ") + QString::fromLatin1(line)};
        messages << QString::fromLatin1(line.mid(22, line.size() - 23));
    }
    return messages;
}

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class ActivityLogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldWriteLineToPaneAndFile_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("pane"); // pane lines after the stamp
        QTest::addColumn<QByteArray>("file");  // file bytes after the stamp and TAB

        QTest::newRow("plain") << "Считывание настроек..." << QStringList{"Считывание настроек..."}
                               << QByteArray("\xD1\xF7\xE8\xF2\xFB\xE2\xE0\xED\xE8\xE5 "
                                             "\xED\xE0\xF1\xF2\xF0\xEE\xE5\xEA...\r\n");
        QTest::newRow("CR LF inside")
            << "first\r\nsecond" << QStringList{"first", "second"} << QByteArray("firstsecond\r\n");
        QTest::newRow("lone LF at the end") << "text\n"
                                            << QStringList{"text", ""} << QByteArray("text\n\r\n");
        QTest::newRow("empty") << "" << QStringList{""} << QByteArray();
    }

    void shouldWriteLineToPaneAndFile()
    {
        QFETCH(QString, message);
        QFETCH(QStringList, pane);
        QFETCH(QByteArray, file);
        FormFixture fixture;
        auto form = fixture.start({});

        form->activityLog().log(message, LogColor::Blue);

        const QStringList lines = paneLines(*form);
        QCOMPARE(lines.first(), QString()); // the pane starts with one empty line
        const QStringList added = lines.mid(1);
        QCOMPARE(added.size(), pane.size());
        QVERIFY(kPaneStamp.match(added.first()).hasMatch());
        QCOMPARE(added.first().mid(10), pane.first());
        QCOMPARE(added.mid(1), pane.mid(1));

        QVERIFY(QFile::exists(fixture.logPath()));
        const QByteArray written = readBytes(fixture.logPath());
        if (file.isEmpty()) {
            QCOMPARE(written, QByteArray());
        } else {
            QVERIFY(kFileStamp.match(QString::fromLatin1(written)).hasMatch());
            QCOMPARE(written.mid(22), file);
        }
    }

    void shouldShowLineInItsColour_data()
    {
        QTest::addColumn<int>("color");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("red") << LogColor::Red << QColor(255, 0, 0);
        QTest::newRow("dark green") << LogColor::Green << QColor(0, 128, 0);
        QTest::newRow("blue") << LogColor::Blue << QColor(0, 0, 255);
    }

    void shouldShowLineInItsColour()
    {
        QFETCH(int, color);
        QFETCH(QColor, expected);
        FormFixture fixture;
        auto form = fixture.start({});
        form->activityLog().log(QStringLiteral("x"), color);
        QCOMPARE(lastLineColor(*form), expected);
        QCOMPARE(widget<QTextEdit>(*form, "LogRichEdit")->currentCharFormat().foreground().color(),
                 widget<QTextEdit>(*form, "LogRichEdit")->palette().text().color());
    }

    void shouldWriteFileOnlyLinesUnchanged()
    {
        FormFixture fixture;
        auto form = fixture.start({});
        form->activityLog().write(QStringLiteral("reply\r\nOK\r\n"));
        QCOMPARE(paneLines(*form), QStringList{QString()});
        QVERIFY(readBytes(fixture.logPath()).endsWith("\treply\r\nOK\r\n\r\n"));
    }

    // A burst of lines, as a read of every setting logs them: all of them in the pane and in
    // Log.txt, whole and in order.
    void shouldKeepBurstWholeAndInOrder()
    {
        FormFixture fixture;
        auto form = fixture.start({});
        form->show();
        const QStringList burst = numbered(QStringLiteral("line "), 1000);
        for (const QString &line : burst)
            form->activityLog().log(line, LogColor::Blue);
        QCOMPARE(paneMessages(*form), burst);
        QCOMPARE(fileMessages(fixture.logPath()), burst);
    }

    // The pane takes each line at once but is painted for a burst together, not once a line.
    void shouldRepaintPaneOncePerBurst()
    {
        FormFixture fixture;
        auto form = fixture.start({});
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto *pane = widget<QTextEdit>(*form, "LogRichEdit");
        form->activityLog().log(QStringLiteral("first"), LogColor::Blue);
        QTRY_VERIFY(pane->updatesEnabled());
        QCoreApplication::processEvents();

        const PaintCounter counter(pane->viewport());
        const int lines = 400;
        for (const QString &line : numbered(QStringLiteral("line "), lines))
            form->activityLog().log(line, LogColor::Blue);
        // The last of the burst is painted too, once the burst is over.
        QTRY_VERIFY(pane->updatesEnabled());
        QTRY_VERIFY(counter.paints > 0);
        // Without the hold, every line is painted as its events run: one paint a line.
        QVERIFY2(counter.paints < lines / 4, qPrintable(QString::number(counter.paints)));
        QCOMPARE(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
    }

    // Every line lets window events run, so a timer due fires inside it, as callers rely on.
    void shouldLetEventsRunAtEachLine()
    {
        FormFixture fixture;
        auto form = fixture.start({});
        form->show();
        bool fired = false;
        QTimer::singleShot(0, form.get(), [&fired] { fired = true; });
        form->activityLog().log(QStringLiteral("line"), LogColor::Blue);
        QVERIFY(fired);
    }

    // Log.txt moved away or removed while the window runs: the next line starts a new file at
    // the path.
    void shouldStartNewLogFileWhenMovedOrRemoved_data()
    {
        QTest::addColumn<bool>("moved");
        QTest::newRow("moved away") << true;
        QTest::newRow("removed") << false;
    }

    void shouldStartNewLogFileWhenMovedOrRemoved()
    {
        QFETCH(bool, moved);
        FormFixture fixture;
        auto form = fixture.start({});
        const QString aside = fixture.dir.filePath(QStringLiteral("Log.old"));
        form->activityLog().log(QStringLiteral("before"), LogColor::Blue);
        if (moved)
            QVERIFY(QFile::rename(fixture.logPath(), aside));
        else
            QVERIFY(QFile::remove(fixture.logPath()));
        form->activityLog().log(QStringLiteral("after"), LogColor::Blue);
        QCOMPARE(fileMessages(fixture.logPath()), QStringList{"after"});
        if (moved)
            QCOMPARE(fileMessages(aside), QStringList{"before"});
        QCOMPARE(paneLines(*form).filter(QStringLiteral("Журнал не записывается")).size(), 0);
    }

    void shouldReplaceCountdownLine()
    {
        FormFixture fixture;
        auto form = fixture.start({});
        form->activityLog().log(QStringLiteral("Набор номера..."), LogColor::Green);
        for (int left = 40; left >= 38; --left)
            form->activityLog().replaceLastShown(QStringLiteral("wait (%1)").arg(left),
                                                 LogColor::Green);
        QStringList lines = paneLines(*form);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.last().endsWith(QStringLiteral("  wait (38)")));
        // After the pane was painted, too.
        QTRY_VERIFY(widget<QTextEdit>(*form, "LogRichEdit")->updatesEnabled());
        form->activityLog().replaceLastShown(QStringLiteral("wait (37)"), LogColor::Green);
        lines = paneLines(*form);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.last().endsWith(QStringLiteral("  wait (37)")));
        QVERIFY(readBytes(fixture.logPath()).contains("\xCD\xE0\xE1\xEE\xF0")); // "Набор"
        QVERIFY(!readBytes(fixture.logPath()).contains("wait"));
    }

    void shouldShowLineWhenLogFileCannotBeWritten()
    {
        FormFixture fixture;
        QVERIFY(QDir(fixture.dir.path()).mkdir(QStringLiteral("Log.txt")));
        auto form = fixture.start({});
        form->activityLog().log(QStringLiteral("still shown"), LogColor::Blue);
        QStringList lines = paneLines(*form);
        QVERIFY(lines.at(lines.size() - 2).endsWith(QStringLiteral("  still shown")));
        // The loss is said at once, in red, and once only while it lasts.
        QVERIFY(lines.last().contains(QStringLiteral("  Журнал не записывается в файл ") +
                                      fixture.logPath() + QStringLiteral(": ")));
        QCOMPARE(lastLineColor(*form), LogColor::toQColor(LogColor::Red));
        form->activityLog().log(QStringLiteral("second"), LogColor::Blue);
        form->activityLog().write(QStringLiteral("file only"));
        lines = paneLines(*form);
        QVERIFY(lines.last().endsWith(QStringLiteral("  second")));
        QCOMPARE(lines.filter(QStringLiteral("Журнал не записывается")).size(), 1);

        // Once the file takes lines again, a later loss is said again.
        QVERIFY(QDir(fixture.dir.path()).rmdir(QStringLiteral("Log.txt")));
        form->activityLog().log(QStringLiteral("kept again"), LogColor::Blue);
        QVERIFY(readBytes(fixture.logPath()).contains("kept again"));
        QVERIFY(QFile::remove(fixture.logPath()));
        QVERIFY(QDir(fixture.dir.path()).mkdir(QStringLiteral("Log.txt")));
        form->activityLog().log(QStringLiteral("lost again"), LogColor::Blue);
        QCOMPARE(paneLines(*form).filter(QStringLiteral("Журнал не записывается")).size(), 2);
    }

    void shouldAppendAcrossRuns()
    {
        FormFixture fixture;
        fixture.start({})->activityLog().log(QStringLiteral("first run"), LogColor::Blue);
        fixture.start({})->activityLog().log(QStringLiteral("second run"), LogColor::Blue);
        const QByteArray written = readBytes(fixture.logPath());
        QVERIFY(written.indexOf("first run\r\n") >= 0);
        QVERIFY(written.indexOf("first run\r\n") < written.indexOf("second run\r\n"));
    }
};

QTEST_MAIN(ActivityLogTest)
#include "tst_activitylog.moc"
