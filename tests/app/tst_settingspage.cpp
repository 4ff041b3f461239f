// The device-parameters page in the window: editing the table as any table (typing, Enter,
// Escape, the key filters and masks, tidying, blue for a changed row), "Записать" through the
// operation runner, and the clock dialog with and without a connection.
#include "app/dialogs/tfdatetimeedit.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/settingstable.h"
#include "protocol/settingsrows.h"
#include "support/formfixture.h"
#include "support/localzone.h"
#include "support/recordingprompt.h"
#include "support/session.h"
#include "support/widgetbyname.h"
#include "support/windowprobes.h"

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

using namespace SettingsRows;

namespace {

SettingsTable *table(TForm1 &form)
{
    return form.settingsPage()->VLESetting;
}

void activate(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// Selects the row's value and types: the first key starts editing, as in any table ("\b"
// first: F2, then Backspace on the whole value).
void typeInto(SettingsTable *view, int row, const QString &keys, Qt::Key last = Qt::Key_Return)
{
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, 1));
    QString rest = keys;
    if (rest.startsWith(u'\b')) {
        QTest::keyClick(view, Qt::Key_F2);
        QLineEdit *editor = openEditor(view);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Backspace);
        rest.remove(0, 1);
    } else if (!rest.isEmpty()) {
        QTest::keyClicks(view, rest.left(1));
        rest.remove(0, 1);
    }
    if (QLineEdit *editor = openEditor(view)) {
        QTest::keyClicks(editor, rest);
        QTest::keyClick(editor, last);
    }
    // Enter hands the value over on the next turn of the event loop.
    QCoreApplication::processEvents();
}

// The lines the unit received since the trace was last looked at.
struct Trace
{
    QString path;
    int seen = 0;

    QStringList news()
    {
        QStringList lines;
        for (const QByteArray &line : readBytes(path).split('\n')) {
            if (!line.isEmpty())
                lines << QString::fromLatin1(line.mid(line.indexOf("  ") + 2));
        }
        const QStringList fresh = lines.mid(seen);
        seen = int(lines.size());
        return fresh;
    }
};

TFDateTimeEdit *clockDialog(TForm1 &form)
{
    return form.findChild<TFDateTimeEdit *>();
}

// The row's button, as the operator presses it.
TFDateTimeEdit *openClockDialog(TForm1 &form, int row)
{
    SettingsTable *view = table(form);
    view->setCurrentIndex(view->model()->index(row, 1));
    auto *ellipsis = view->viewport()->findChild<QToolButton *>(QStringLiteral("EllipsisButton"));
    if (!ellipsis)
        return nullptr;
    QTest::mouseClick(ellipsis, Qt::LeftButton);
    return clockDialog(form);
}

const QDateTime kNow(QDate(2026, 12, 10), QTime(14, 3, 9));

} // namespace

class SettingsPageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldEditAsAnyTable_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("value");
        const int enter = Qt::Key_Return;
        QTest::newRow("typing replaces, Enter keeps")
            << int(ApnAddress) << "apn.example.net" << enter << "apn.example.net";
        QTest::newRow("Escape gives the value back")
            << int(ApnAddress) << "apn.example.net" << int(Qt::Key_Escape) << "internet";
        QTest::newRow("leaving the cell keeps")
            << int(FtpLogin) << "user" << int(Qt::Key_Tab) << "user";
        QTest::newRow("letters never reach a length") << int(GprsLength) << "1a2b" << enter << "12";
        QTest::newRow("nor does a sign") << int(GsmLength) << "-5" << enter << "5";
        QTest::newRow("an emptied length is 0") << int(GsmLength) << "\b" << enter << "0";
        QTest::newRow("a phone takes digits after its 8-")
            << int(Phone1) << "9161234567" << enter << "8-9161234567";
        QTest::newRow("plus passes the filter, the mask takes digits only")
            << int(Phone2) << "+79161234567" << enter << "8-7916123456";
        QTest::newRow("a cleared phone is no number") << int(Phone3) << "\b" << enter << "";
        QTest::newRow("a cleared time is midnight") << int(GsmStart) << "\b" << enter << "00:00:00";
        QTest::newRow("a time fills its digits") << int(GprsStart) << "0730" << enter << "07:30:  ";
        QTest::newRow("the clock row takes no typing")
            << int(DeviceClock) << "99" << enter << "01.12.2026 10:00:00";
    }

    void shouldEditAsAnyTable()
    {
        QFETCH(int, row);
        QFETCH(QString, keys);
        QFETCH(int, last);
        QFETCH(QString, value);
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        activate(form.get());
        SettingsModel &settings = form->unitData().settings;
        settings.setValue(ApnAddress, QStringLiteral("internet"));
        settings.setValue(Phone1, QStringLiteral("8-9031112233"));
        settings.setValue(Phone3, QStringLiteral("8-9031112233"));
        settings.setValue(GsmStart, QStringLiteral("08:00:00"));
        settings.setValue(GprsStart, QStringLiteral("09:00:00"));
        settings.setValue(GsmLength, QStringLiteral("30"));
        settings.setValue(DeviceClock, QStringLiteral("01.12.2026 10:00:00"));

        typeInto(table(*form), row, keys, Qt::Key(last));
        if (clockDialog(*form)) // Enter on the clock row presses its button
            clockDialog(*form)->close();

        QCOMPARE(settings.value(row), value);
        QVERIFY(!openEditor(table(*form)) || row == DeviceClock);
    }

    void shouldTakeOneLineOfPastedText_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("value");
        // A line break would end the command line on the wire: the unit would take the first
        // part and answer the rest as another command.
        QTest::newRow("a copied line with its line break")
            << int(ApnAddress) << "internet.example.net\r\n"
            << "internet.example.net";
        QTest::newRow("several lines: the first") << int(FtpLogin) << "user\npassword"
                                                  << "user";
        QTest::newRow("a length keeps only digits") << int(GsmLength) << "45\n"
                                                    << "30";
        QTest::newRow("a phone keeps only digits") << int(Phone1) << "916\n123a4567"
                                                   << "8-9161234567";
    }

    void shouldTakeOneLineOfPastedText()
    {
        QFETCH(int, row);
        QFETCH(QString, pasted);
        QFETCH(QString, value);
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        activate(form.get());
        form->unitData().settings.setValue(GsmLength, QStringLiteral("30"));
        SettingsTable *view = table(*form);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(row, 1));
        QTest::keyClick(view, Qt::Key_F2);
        QLineEdit *editor = openEditor(view);
        QVERIFY(editor);
        editor->selectAll();
        QApplication::clipboard()->setText(pasted);
        QTest::keySequence(editor, QKeySequence::Paste);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(form->unitData().settings.value(row), value);
    }

    void shouldMarkRowsThatDifferFromUnit()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        form->resize(700, 700);
        activate(form.get());
        SettingsModel &settings = form->unitData().settings;
        SettingsTable *view = table(*form);
        for (const int row : {ApnAddress, ApnLogin, GsmLength}) {
            settings.setBaseline(row, QStringLiteral("0"));
            settings.setValue(row, QStringLiteral("0"));
        }
        typeInto(view, ApnAddress, QStringLiteral("changed"));
        // Typed back to what the unit holds: black again.
        typeInto(view, ApnLogin, QStringLiteral("x"));
        typeInto(view, ApnLogin, QStringLiteral("0"));
        // Emptied, shown as 0, as the unit holds it.
        typeInto(view, GsmLength, QStringLiteral("\b"));
        view->setCurrentIndex(view->model()->index(Phone3, 1));
        QVERIFY(settings.isChanged(ApnAddress));
        QVERIFY(!settings.isChanged(ApnLogin));
        QVERIFY(!settings.isChanged(GsmLength));

        // Blue text for the changed row only, 4 px from the left and 2 px from the top.
        const QImage shot = view->viewport()->grab().toImage();
        const auto bluePixels = [&](int row) {
            const QRect cell = view->visualRect(view->model()->index(row, 1));
            QPoint first(-1, -1);
            int count = 0;
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    const QColor c =
                        shot.pixelColor(x * shot.devicePixelRatio(), y * shot.devicePixelRatio());
                    if (c.blue() > 150 && c.red() < 90 && c.green() < 90) {
                        if (count++ == 0 || x < first.x())
                            first.setX(x);
                        if (first.y() < 0)
                            first.setY(y);
                    }
                }
            }
            return std::make_pair(count, first - cell.topLeft());
        };
        const auto [changed, offset] = bluePixels(ApnAddress);
        QVERIFY(changed > 0);
        QVERIFY2(offset.x() >= 4 && offset.y() >= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        QCOMPARE(bluePixels(ApnLogin).first, 0);
        QCOMPARE(bluePixels(GsmLength).first, 0);
    }

    void shouldKeepValueMaskCannotShowUntilTyped()
    {
        // A number in a form the phone mask cannot hold is not rewritten by passing through.
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        form->show();
        SettingsModel &settings = form->unitData().settings;
        settings.setValue(Phone1, QStringLiteral("+79161234567"));
        settings.setBaseline(Phone1, QStringLiteral("+79161234567"));
        activate(form.get());
        SettingsTable *view = table(*form);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(Phone1, 1));
        QTest::keyClick(view, Qt::Key_F2);
        QVERIFY(openEditor(view));
        QTest::keyClick(openEditor(view), Qt::Key_Return);
        QCOMPARE(settings.value(Phone1), QStringLiteral("+79161234567"));
        QVERIFY(!settings.isChanged(Phone1));
    }

    // The clock rows take no typed key at all: neither the table's jump to a row starting
    // with the letter typed (which then took the next key as its new value) nor an edit; only
    // Enter and the ellipsis button open the clock dialog. Keys go to the table, as a test
    // tool or a quick hand sends them, and to the value the row shows.
    void shouldTakeNoTypedKeysOnClockRows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("toValue");
        QTest::newRow("letters on the clock row") << int(DeviceClock) << "aX" << false;
        QTest::newRow("letters on the clock row's value") << int(DeviceClock) << "aX" << true;
        QTest::newRow("a digit on the archive row") << int(ArchiveStart) << "0" << false;
        QTest::newRow("a digit on the archive row's value") << int(ArchiveStart) << "0" << true;
        QTest::newRow("a value's first letter on the archive row")
            << int(ArchiveStart) << "fZ" << false;
        QTest::newRow("a value's first letter on the archive row's value")
            << int(ArchiveStart) << "aZ" << true;
        QTest::newRow("a space on the clock row") << int(DeviceClock) << " 1" << false;
    }

    void shouldTakeNoTypedKeysOnClockRows()
    {
        QFETCH(int, row);
        QFETCH(QString, keys);
        QFETCH(bool, toValue);
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        // Values that start with the letters typed: the table's jump would find them.
        options.unitOptions.stateFile = s.dir.filePath(QStringLiteral("unit.ini"));
        writeBytes(options.unitOptions.stateFile,
                   "[UNIT]\r\nGPRSapn=\"apn.example.net\"\r\nFTPlogin=\"field\"\r\n");
        s.start(options, QStringLiteral("line"));
        Trace trace{options.traceFile};
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        activate(s.form.get());
        SettingsModel &settings = s.form->unitData().settings;
        QStringList before;
        for (int r = 0; r < settings.rowCount(); ++r)
            before << settings.value(r);
        trace.news();

        SettingsTable *view = table(*s.form);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(row, 1));
        QCoreApplication::processEvents();
        QWidget *target = toValue ? QApplication::focusWidget() : view;
        QVERIFY(target);
        QTest::keyClicks(target, keys);
        QCoreApplication::processEvents();
        QVERIFY2(!clockDialog(*s.form), "a typed key opened the clock dialog");
        QCOMPARE(view->currentIndex().row(), row);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : view,
                        Qt::Key_Return);
        QCoreApplication::processEvents();
        if (TFDateTimeEdit *dialog = clockDialog(*s.form)) // Enter may open it, and no more
            dialog->close();
        QCoreApplication::processEvents();

        for (int r = 0; r < settings.rowCount(); ++r) {
            QCOMPARE(settings.value(r), before[r]);
            QVERIFY(!settings.isChanged(r));
        }
        s.prompt.boxes.clear();
        QTest::mouseClick(s.form->settingsPage()->Button2, Qt::LeftButton);
        const QStringList sent = trace.news();
        QVERIFY2(sent.filter(QStringLiteral("=")).isEmpty(), qPrintable(sent.join(u'|')));
    }

    void shouldWriteChangedRowsFromPage()
    {
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        Trace trace{s.dir.filePath(QStringLiteral("trace.txt"))};
        Q_UNUSED(trace);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        activate(s.form.get());
        SettingsTable *view = table(*s.form);
        typeInto(view, ApnAddress, QStringLiteral("new.example.net"));
        typeInto(view, GsmLength, QStringLiteral("45"));
        s.prompt.boxes.clear();
        const int logged = int(s.log().size());

        QTest::mouseClick(s.form->settingsPage()->Button2, Qt::LeftButton);

        QCOMPARE(s.prompt.boxes.size(), 1);
        QCOMPARE(s.prompt.boxes[0].caption, QStringLiteral("Изменение!"));
        QCOMPARE(s.prompt.boxes[0].text, QStringLiteral("Записать измененные параметры?"));
        QCOMPARE(s.prompt.boxes[0].details,
                 QStringLiteral("APN адрес: \"internet.example.net\" → \"new.example.net\"\n"
                                "Длина GSM окна (минуты): \"30\" → \"45\""));
        QCOMPARE(s.log().mid(logged),
                 (QStringList{"Запись настроек...",
                              "Перезапись [APN адрес]: internet.example.net --> new.example.net",
                              "Перезапись [Длина GSM окна (минуты)]: 30 --> 45",
                              "Запись настроек завершена"}));
        QVERIFY(!s.form->unitData().settings.isChanged(ApnAddress));
        QVERIFY(!s.form->unitData().settings.isChanged(GsmLength));
        QVERIFY(s.form->settingsPage()->Button2->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
        QVERIFY(!widget<QTimer>(*s.form, "Timer1")->isActive());
    }

    void shouldBringKeepAliveBackOnlyWhileCallIsUp_data()
    {
        QTest::addColumn<int>("dropCarrierAfter");
        QTest::addColumn<bool>("callUp");
        QTest::newRow("call stays up") << 0 << true;
        // group_info, then the first row's write gets NO CARRIER
        QTest::newRow("carrier lost mid-write") << 2 << false;
    }

    void shouldBringKeepAliveBackOnlyWhileCallIsUp()
    {
        QFETCH(int, dropCarrierAfter);
        QFETCH(bool, callUp);
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.dropCarrierAfter = dropCarrierAfter;
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());
        SettingsModel &settings = s.form->unitData().settings;
        settings.setValue(ApnAddress, QStringLiteral("a.example.net"));
        settings.setValue(ApnLogin, QStringLiteral("user"));

        QTest::mouseClick(s.form->settingsPage()->Button2, Qt::LeftButton);

        QCOMPARE(widget<QTimer>(*s.form, "Timer1")->isActive(), callUp);
        QCOMPARE(s.form->modemSessionActive(), callUp);
        QCOMPARE(s.log().contains(QStringLiteral("Запись настроек завершена")), callUp);
        QCOMPARE(settings.isChanged(ApnLogin), !callUp);
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
    }

    void shouldOpenClockDialogOverDisabledWindow()
    {
        RecordingPrompt prompt;
        FormFixture fixture;
        auto form = fixture.start({QStringLiteral("-pelnax")});
        form->show();
        form->unitData().settings.setValue(DeviceClock, QStringLiteral("05.11.2026 07:08:09"));

        TFDateTimeEdit *dialog = openClockDialog(*form, DeviceClock);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Дата/время"));
        QCOMPARE(dialog->size(), QSize(264, 88));
        QVERIFY((dialog->geometry().center() - form->geometry().center()).manhattanLength() <= 2);
        QVERIFY(!form->isEnabled());
        QVERIFY(dialog->isEnabled());
        QCOMPARE(dialog->dtpDate->date(), QDate(2026, 11, 5));
        QCOMPARE(dialog->dtpTime->time(), QTime(7, 8, 9));
        QCOMPARE(dialog->dtpDate->displayFormat(), QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(dialog->ButtonCTNow->toolTip(), QStringLiteral("Установить текущее время"));
        QVERIFY(prompt.boxes.isEmpty());

        // Closed with Escape: nothing written, the window usable again.
        const QPointer<TFDateTimeEdit> watch(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!watch);
        QVERIFY(form->isEnabled());
        QCOMPARE(form->unitData().settings.value(DeviceClock),
                 QStringLiteral("05.11.2026 07:08:09"));
    }

    void shouldFillPickersFromRow_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QDateTime>("shown");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty row: now") << "" << kNow << "";
        QTest::newRow("date and time")
            << "31.01.2027 23:59:58" << QDateTime(QDate(2027, 1, 31), QTime(23, 59, 58)) << "";
        QTest::newRow("no time of day")
            << "31.01.2027 25:00:00" << kNow << "Неправильное время: '25:00:00'";
        QTest::newRow("no date") << "31.02.2027 10:00:00" << kNow
                                 << "Неправильная дата: '31.02.2027'";
    }

    void shouldFillPickersFromRow()
    {
        QFETCH(QString, value);
        QFETCH(QDateTime, shown);
        QFETCH(QString, error);
        Session s;
        s.now = kNow;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        s.form->unitData().settings.setValue(ArchiveStart, value);
        TFDateTimeEdit *dialog = openClockDialog(*s.form, ArchiveStart);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(QDateTime(dialog->dtpDate->date(), dialog->dtpTime->time()), shown);
        if (error.isEmpty()) {
            QVERIFY(s.prompt.boxes.isEmpty());
        } else {
            QCOMPARE(s.prompt.boxes.size(), 1);
            QCOMPARE(s.prompt.boxes[0].kind, QStringLiteral("error"));
            QCOMPARE(s.prompt.boxes[0].text, error);
        }
        dialog->close();
    }

    void shouldFillRowWithoutConnection()
    {
        // Before any successful read and with no call, the value waits in the row.
        Session s;
        s.now = kNow;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        const int logged = int(s.log().size());
        TFDateTimeEdit *dialog = openClockDialog(*s.form, DeviceClock);
        QVERIFY(dialog);
        dialog->dtpDate->setDate(QDate(2027, 3, 4));
        dialog->dtpTime->setTime(QTime(5, 6, 7));
        const QPointer<TFDateTimeEdit> watch(dialog);
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        QTRY_VERIFY(!watch);
        QVERIFY(s.form->isEnabled());
        QCOMPARE(s.form->unitData().settings.value(DeviceClock),
                 QStringLiteral("04.03.2027 05:06:07"));
        QVERIFY(s.form->unitData().settings.isChanged(DeviceClock));
        QCOMPARE(s.log().size(), logged);
    }

    void shouldKeepTimeTheComputerClockSkips()
    {
        // Moscow put its clocks from 02:00 to 03:00 on 27 March 2011; the unit has no zone and
        // that half past two is a time like any other, shown and written as picked.
        const LocalZone zone("Europe/Moscow");
        Session s;
        s.now = kNow;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        s.form->unitData().settings.setValue(ArchiveStart, QStringLiteral("27.03.2011 02:30:00"));
        TFDateTimeEdit *dialog = openClockDialog(*s.form, ArchiveStart);
        QVERIFY(dialog);
        QCOMPARE(dialog->dtpDate->date(), QDate(2011, 3, 27));
        QCOMPARE(dialog->dtpTime->time(), QTime(2, 30));
        dialog->dtpTime->setTime(QTime(2, 45));
        QCOMPARE(dialog->pickedText(), QStringLiteral("27.03.2011 02:45:00"));
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        QCOMPARE(s.form->unitData().settings.value(ArchiveStart),
                 QStringLiteral("27.03.2011 02:45:00"));
    }

    void shouldSendFilledClockRowWithPageWrite()
    {
        // Connected over a line whose last full read failed: the dialog fills the row and
        // the page's write sends it.
        Session s;
        s.now = kNow;
        SimOptions options = Session::quickOptions(false);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("line"));
        Trace trace{options.traceFile};
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        s.form->unitData().settingsReadOk = false;
        trace.news();
        TFDateTimeEdit *dialog = openClockDialog(*s.form, DeviceClock);
        QVERIFY(dialog);
        QTest::mouseClick(dialog->ButtonCTNow, Qt::LeftButton);
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        QCOMPARE(trace.news(), QStringList());
        QTest::mouseClick(s.form->settingsPage()->Button2, Qt::LeftButton);
        QCOMPARE(trace.news(), QStringList{QStringLiteral("date=10.12.2026 14:03:09")});
        QVERIFY(!s.form->unitData().settings.isChanged(DeviceClock));
    }

    void shouldWriteClockNowAtMomentOfWrite()
    {
        Session s;
        s.now = kNow;
        SimOptions options = Session::quickOptions(false);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("line"));
        Trace trace{options.traceFile};
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->settingsReadOk());
        trace.news();
        const int logged = int(s.log().size());

        TFDateTimeEdit *dialog = openClockDialog(*s.form, DeviceClock);
        QVERIFY(dialog);
        dialog->dtpDate->setDate(QDate(2020, 1, 1));
        QTest::mouseClick(dialog->ButtonCTNow, Qt::LeftButton);
        QCOMPARE(dialog->dtpDate->date(), kNow.date());
        QVERIFY(dialog->Timer2->isActive());
        // Time goes on; the time picker follows it, the date picker does not.
        s.now = kNow.addSecs(5 * 3600);
        QTRY_COMPARE(dialog->dtpTime->time(), QTime(19, 3, 9));
        QCOMPARE(dialog->dtpDate->date(), kNow.date());
        const QPointer<TFDateTimeEdit> watch(dialog);
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);

        QCOMPARE(trace.news(), QStringList{QStringLiteral("date=10.12.2026 19:03:09")});
        QCOMPARE(s.log().mid(logged),
                 QStringList{QStringLiteral("Дата/время устройства перезаписана!")});
        QTRY_VERIFY(!watch);
        QVERIFY(s.form->isEnabled());
        QCOMPARE(s.form->unitData().settings.value(DeviceClock),
                 QStringLiteral("10.12.2026 19:03:09"));
        QVERIFY(!s.form->unitData().settings.isChanged(DeviceClock));
    }

    void shouldWriteClockDuringCallEvenWhenLastReadFailed()
    {
        // A GSM call is up: the dialog writes at once, whatever the last full read said.
        Session s;
        s.now = kNow;
        SimOptions options = Session::quickOptions(true);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(600000);
        Trace trace{options.traceFile};
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());
        s.form->unitData().settingsReadOk = false;
        trace.news();
        TFDateTimeEdit *dialog = openClockDialog(*s.form, DeviceClock);
        QVERIFY(dialog);
        QVERIFY(!dialog->Timer2->isActive());
        QTest::mouseClick(dialog->ButtonCTNow, Qt::LeftButton);
        QCOMPARE(dialog->Timer2->interval(), 200);
        QVERIFY(dialog->Timer2->isActive());
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        QCOMPARE(trace.news(), QStringList{QStringLiteral("date=10.12.2026 14:03:09")});
        QCOMPARE(s.log().last(), QStringLiteral("Дата/время устройства перезаписана!"));
        QVERIFY(!s.form->unitData().settings.isChanged(DeviceClock));
        QVERIFY(s.form->isEnabled());
        QVERIFY(widget<QTimer>(*s.form, "Timer1")->isActive());
    }

    void shouldShowBoxWhenClockWriteFails()
    {
        Session s;
        s.now = kNow;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.silentAfter = 1; // group_info only
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        const QString before = s.form->unitData().settings.value(ArchiveStart);
        s.prompt.boxes.clear();
        TFDateTimeEdit *dialog = openClockDialog(*s.form, ArchiveStart);
        QVERIFY(dialog);
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        QCOMPARE(s.prompt.boxes.size(), 1);
        QCOMPARE(s.prompt.boxes[0].kind, QStringLiteral("inform"));
        QCOMPARE(s.prompt.boxes[0].caption, QStringLiteral("Запись даты/времени"));
        QCOMPARE(s.prompt.boxes[0].text, QStringLiteral("Не удалось записать дату/время !"));
        QCOMPARE(s.form->unitData().settings.value(ArchiveStart), before);
        QVERIFY(s.form->isEnabled());
    }

    void shouldKeepClockValueWhenPortClosedMeanwhile()
    {
        // The last full read succeeded, but the line has been left since: the value stays in
        // the row instead of being lost.
        Session s;
        s.now = kNow;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
        QVERIFY(!s.form->portConnected());
        QVERIFY(s.form->settingsReadOk());
        TFDateTimeEdit *dialog = openClockDialog(*s.form, ArchiveStart);
        QVERIFY(dialog);
        QTest::mouseClick(dialog->ButtonCTNow, Qt::LeftButton);
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        QCOMPARE(s.log().last(), QStringLiteral("\u0421\u041E\u041C-порт закрыт!"));
        QCOMPARE(s.form->unitData().settings.value(ArchiveStart),
                 QStringLiteral("10.12.2026 14:03:09"));
        QVERIFY(s.form->unitData().settings.isChanged(ArchiveStart));
        QVERIFY(s.form->isEnabled());
    }

    void shouldKeepParkedClockValueWhenItNeverRuns_data()
    {
        QTest::addColumn<QString>("then");
        // group_info, then the tick's query gets NO CARRIER
        QTest::newRow("the tick finds the call gone") << QString();
        QTest::newRow("Disconnect in the same tick") << QStringLiteral("disconnect");
        QTest::newRow("the window closed in the same tick") << QStringLiteral("close");
    }

    void shouldKeepParkedClockValueWhenItNeverRuns()
    {
        // "Записать" during a keep-alive exchange that finds the call gone, or that a disconnect
        // or a close asked for in the same exchange takes the place of: the write never runs,
        // and the value waits in the row instead of being lost.
        QFETCH(QString, then);
        Session s;
        s.now = kNow;
        SimOptions options = Session::quickOptions(true);
        options.unitOptions.latencyMs = 150;
        if (then.isEmpty())
            options.modemOptions.dropCarrierAfter = 2; // group_info, then the tick's query
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(100);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());
        TFDateTimeEdit *dialog = openClockDialog(*s.form, DeviceClock);
        QVERIFY(dialog);
        dialog->dtpDate->setDate(QDate(2027, 2, 3));
        dialog->dtpTime->setTime(QTime(4, 5, 6));
        bool clicked = false;
        duringNextTick(*s.form, [&] {
            QTest::mouseClick(dialog->Button1, Qt::LeftButton);
            if (then == QLatin1String("disconnect"))
                QTest::mouseClick(widget<QPushButton>(*s.form, "Button14"), Qt::LeftButton);
            else if (then == QLatin1String("close"))
                s.form->close();
            clicked = true;
        });
        QTRY_VERIFY(clicked);
        if (then.isEmpty())
            QTRY_VERIFY(s.form->carrierLost());
        QTRY_VERIFY(!s.form->tickInProgress() && !s.form->portConnected());
        QTRY_COMPARE(s.form->unitData().settings.value(DeviceClock),
                     QStringLiteral("03.02.2027 04:05:06"));
        QVERIFY(s.form->unitData().settings.isChanged(DeviceClock));
        QVERIFY(s.form->isEnabled());
    }

    void shouldSwitchPageButtonsNotDialogsWhenCallDrops()
    {
        // The dialog has a "Button1" of its own; the lost call switches off the page's.
        Session s;
        SimOptions options = Session::quickOptions(true);
        options.modemOptions.dropCarrierAfter = 2; // group_info, then the tick's query
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        s.form->setKeepAliveIntervalForTests(50);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        TFDateTimeEdit *dialog = openClockDialog(*s.form, DeviceClock);
        QVERIFY(dialog);
        QTRY_VERIFY(s.form->carrierLost());
        QVERIFY(!s.form->settingsPage()->Button1->isEnabled());
        QVERIFY(!s.form->settingsPage()->Button2->isEnabled());
        QVERIFY(dialog->Button1->isEnabled());
        dialog->close();
    }

    void shouldWriteParkedClockValueAfterDialogIsGone()
    {
        // "Записать" during a keep-alive exchange: the write waits for it, after the dialog
        // (and the button the runner holds) is gone, and sends the values of the moment.
        Session s;
        s.now = kNow;
        SimOptions options = Session::quickOptions(true);
        options.unitOptions.latencyMs = 150;
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, QStringLiteral("gsm"), QStringLiteral("1"));
        Trace trace{options.traceFile};
        s.form->setKeepAliveIntervalForTests(100);
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->modemSessionActive());
        TFDateTimeEdit *dialog = openClockDialog(*s.form, DeviceClock);
        QVERIFY(dialog);
        dialog->dtpDate->setDate(QDate(2027, 2, 3));
        dialog->dtpTime->setTime(QTime(4, 5, 6));
        const QPointer<TFDateTimeEdit> watch(dialog);
        bool clicked = false;
        duringNextTick(*s.form, [&] {
            QTest::mouseClick(dialog->Button1, Qt::LeftButton);
            clicked = true;
            QVERIFY(!watch || !watch->isVisible());
        });
        QTRY_VERIFY(clicked);
        QTRY_COMPARE(s.form->unitData().settings.value(DeviceClock),
                     QStringLiteral("03.02.2027 04:05:06"));
        QVERIFY(!watch);
        QVERIFY(trace.news().contains(QStringLiteral("date=03.02.2027 04:05:06")));
        QVERIFY(s.form->isEnabled());
        QTRY_VERIFY(widget<QTimer>(*s.form, "Timer1")->isActive());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    SettingsPageTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_settingspage.moc"
