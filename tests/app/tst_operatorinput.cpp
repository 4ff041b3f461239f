// What an operator can put into the window's fields — line breaks in pasted text, control
// characters, characters the code page cannot hold, Cyrillic, very long text, characters a
// field's mask or digits rule refuses — against a simulated unit on a line: each is refused
// where it is typed or pasted, or refused by the write with a clear red line or box, and
// nothing malformed ever reaches the unit or the modem (the simulator's record of every line
// it received shows it).
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/settingstable.h"
#include "config/profilefile.h"
#include "protocol/settingsrows.h"
#include "support/session.h"
#include "support/simtrace.h"
#include "support/widgetbyname.h"
#include "support/windowprobes.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace SettingsRows;

namespace {

// Where the input goes.
enum class Field {
    SettingsRow,     // a row of the device-parameters table, through its editor
    SettingsModel,   // a row's value set without an editor (a parameter set, a compare)
    DeviceName,      // Edit4 on the service page
    SerialNumber,    // Edit3 on the service page
    Threshold,       // Edit5 on the sensors page
    CorrectorSerial, // the serial number cell of X10, set without an editor
    Phone,           // Edit2, the number the modem dials
};

// How it gets there.
enum class Entry { Typed, Pasted, Set };

// Key by key, each key carrying its character, as a keyboard with any layout sends it.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

// Into a line edit as the operator does it: typed key by key, or pasted over its whole text.
void enter(QLineEdit *edit, Entry how, const QString &input)
{
    edit->setFocus();
    edit->selectAll();
    if (how == Entry::Typed) {
        QTest::keyClick(edit, Qt::Key_Delete);
        typeText(edit, input);
    } else if (how == Entry::Pasted) {
        QApplication::clipboard()->setText(input);
        QTest::keySequence(edit, QKeySequence::Paste);
    } else {
        edit->setText(input);
    }
}

QString cyrillic(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

Q_DECLARE_METATYPE(Field)
Q_DECLARE_METATYPE(Entry)

class OperatorInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldRefuseOrTakeSafelyWhatOperatorEnters_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<int>("row");
        QTest::addColumn<Entry>("how");
        QTest::addColumn<QString>("input");
        // What the field holds afterwards.
        QTest::addColumn<QString>("held");
        // The line the unit (or modem) receives for it; empty: nothing of it is sent.
        QTest::addColumn<QString>("sent");
        // The refusal shown in red or in a box; empty: none.
        QTest::addColumn<QString>("said");

        const QString unitApn = QStringLiteral("internet.example.net");
        const QString longText(5000, u'x');
        const QString kept(ProfileFile::kMaxValueLength, u'x');

        QTest::newRow("APN: pasted lines keep the first")
            << Field::SettingsRow << int(ApnAddress) << Entry::Pasted
            << "apn.example.net\r\nGSMlen=0"
            << "apn.example.net"
            << "GPRSapn=apn.example.net"
            << "";
        QTest::newRow("APN: pasted TAB refused") << Field::SettingsRow << int(ApnAddress)
                                                 << Entry::Pasted << "apn\texample" << unitApn << ""
                                                 << "";
        QTest::newRow("APN: pasted ESC refused")
            << Field::SettingsRow << int(ApnAddress) << Entry::Pasted << "apn\x1b" << unitApn << ""
            << "";
        QTest::newRow("APN: pasted NUL refused")
            << Field::SettingsRow << int(ApnAddress) << Entry::Pasted
            << QString::fromLatin1("apn\0x", 5) << unitApn << ""
            << "";
        QTest::newRow("APN: DEL refused")
            << Field::SettingsRow << int(ApnAddress) << Entry::Pasted << "apn\x7f" << unitApn << ""
            << "";
        QTest::newRow("APN: outside the code page refused")
            << Field::SettingsRow << int(ApnAddress) << Entry::Pasted << cyrillic("apn\xe4\xb8\xad")
            << unitApn << ""
            << "";
        QTest::newRow("APN: Cyrillic goes as Windows-1251")
            << Field::SettingsRow << int(ApnAddress) << Entry::Typed
            << cyrillic("\xd0\xb8\xd0\xbd\xd1\x82\xd0\xb5\xd1\x80\xd0\xbd\xd0\xb5\xd1\x82."
                        "\xd1\x80\xd1\x84")
            << cyrillic("\xd0\xb8\xd0\xbd\xd1\x82\xd0\xb5\xd1\x80\xd0\xbd\xd0\xb5\xd1\x82."
                        "\xd1\x80\xd1\x84")
            << cyrillic("GPRSapn=\xd0\xb8\xd0\xbd\xd1\x82\xd0\xb5\xd1\x80\xd0\xbd\xd0\xb5\xd1\x82."
                        "\xd1\x80\xd1\x84")
            << "";
        QTest::newRow("FTP password: very long text cut to what a set can keep")
            << Field::SettingsRow << int(FtpPassword) << Entry::Pasted << longText << kept
            << "FTPpass=" + kept << "";
        QTest::newRow("GSM length: letters refused")
            << Field::SettingsRow << int(GsmLength) << Entry::Pasted << "4a5"
            << "30"
            << ""
            << "";
        QTest::newRow("GSM start: the mask refuses letters")
            << Field::SettingsRow << int(GsmStart) << Entry::Typed << "ab"
            << "08:00:00"
            << ""
            << "";
        QTest::newRow("phone: pasted text keeps its digits")
            << Field::SettingsRow << int(Phone2) << Entry::Pasted << "916\n765a4321"
            << "8-9167654321"
            << "mobile2=89167654321"
            << "";
        QTest::newRow("login set with a line break: refused by the write")
            << Field::SettingsModel << int(ApnLogin) << Entry::Set << "gdata\r\nexit"
            << "gdata\r\nexit"
            << ""
            << "Введено некорректное значение [APN логин]!";
        QTest::newRow("password set with a control character: refused by the write")
            << Field::SettingsModel << int(ApnPassword) << Entry::Set << "pa\x01ss"
            << "pa\x01ss"
            << ""
            << "Введено некорректное значение [APN пароль]!";
        QTest::newRow("device name: pasted lines keep the first")
            << Field::DeviceName << 0 << Entry::Pasted << "TAVIX\r\nexit"
            << "TAVIX"
            << "DEVNAME=TAVIX"
            << "Наименование прибора изменено!";
        QTest::newRow("device name: outside the code page refused")
            << Field::DeviceName << 0 << Entry::Typed << cyrillic("\xe4\xb8\xad") << ""
            << ""
            << "Введено некорректное наименование прибора!";
        QTest::newRow("device name: set from elsewhere keeps the first line")
            << Field::DeviceName << 0 << Entry::Set << "AB\r\nexit"
            << "AB"
            << "DEVNAME=AB"
            << "Наименование прибора изменено!";
        QTest::newRow("device name: longer than 10 cut")
            << Field::DeviceName << 0 << Entry::Typed << "ABCDEFGHIJKLMN"
            << "ABCDEFGHIJ"
            << "DEVNAME=ABCDEFGHIJ"
            << "Наименование прибора изменено!";
        QTest::newRow("serial number: letters refused")
            << Field::SerialNumber << 0 << Entry::Typed << "12ab34"
            << "1234"
            << "DEVSERIAL=1234"
            << "Серийный номер изменен!";
        QTest::newRow("threshold: pasted lines refused by the write")
            << Field::Threshold << 0 << Entry::Pasted << "3.4\r\nsample=1"
            << "3.4\r\nsample=1"
            << ""
            << "Введено некорректное значение порогового напряжения!";
        QTest::newRow("corrector serial with a line break refused by the write")
            << Field::CorrectorSerial << 1 << Entry::Set << "123\r\nexit"
            << "123\r\nexit"
            << ""
            << "Введен некорректный серийный номер [X10]!";
        QTest::newRow("dialled number: pasted lines keep the first")
            << Field::Phone << 0 << Entry::Pasted << "89160000001\r\nATH"
            << "89160000001"
            << "ATD89160000001"
            << "";
        QTest::newRow("dialled number: control character refused")
            << Field::Phone << 0 << Entry::Pasted << "8916\x1b"
            << ""
            << ""
            << "";
        QTest::newRow("dialled number: typed characters of a command refused")
            << Field::Phone << 0 << Entry::Typed << "8900;+CFUN=0"
            << "8900+0"
            << "ATD8900+0"
            << "";
        QTest::newRow("dialled number: pasted command refused")
            << Field::Phone << 0 << Entry::Pasted << "8900;+CFUN=0"
            << ""
            << ""
            << "Введите номер телефона!";
        QTest::newRow("dialled number from elsewhere with a command refused at dialling")
            << Field::Phone << 0 << Entry::Set << "8900;+CFUN=0"
            << "8900;+CFUN=0"
            << ""
            << "Некорректный номер телефона!";
        QTest::newRow("dialled number: dial modifiers kept")
            << Field::Phone << 0 << Entry::Pasted << "+7 916,W*21#P!@T"
            << "+7 916,W*21#P!@T"
            << "ATD+7 916,W*21#P!@T"
            << "";
        QTest::newRow("dialled number from elsewhere keeps the first line")
            << Field::Phone << 0 << Entry::Set << "89160000001\r\nATH"
            << "89160000001"
            << "ATD89160000001"
            << "";
    }

    void shouldRefuseOrTakeSafelyWhatOperatorEnters()
    {
        QFETCH(Field, field);
        QFETCH(int, row);
        QFETCH(Entry, how);
        QFETCH(QString, input);
        QFETCH(QString, held);
        QFETCH(QString, sent);
        QFETCH(QString, said);

        Session s;
        const bool dialling = field == Field::Phone;
        SimOptions options = Session::quickOptions(dialling);
        options.traceFile = s.dir.filePath(QStringLiteral("trace.txt"));
        s.start(options, dialling ? QStringLiteral("gsm") : QStringLiteral("line"));
        s.form->show();
        QApplication::setActiveWindow(s.form.get());
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));

        UnitData &data = s.form->unitData();
        QPushButton *write = nullptr;
        QString shown;
        if (dialling) {
            enter(widget<QLineEdit>(*s.form, "Edit2"), how, input);
            shown = widget<QLineEdit>(*s.form, "Edit2")->text();
            write = widget<QPushButton>(*s.form, "Button12");
        } else {
            QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
            QVERIFY(s.form->portConnected());
            switch (field) {
            case Field::SettingsRow: {
                SettingsTable *view = s.form->settingsPage()->VLESetting;
                view->setFocus();
                view->setCurrentIndex(view->model()->index(row, 1));
                QTest::keyClick(view, Qt::Key_F2);
                QLineEdit *editor = openEditor(view);
                QVERIFY(editor);
                if (how == Entry::Typed) {
                    // Typed over the whole value; into a masked one from its start.
                    if (editor->inputMask().isEmpty())
                        editor->selectAll();
                    else
                        editor->setCursorPosition(0);
                    typeText(editor, input);
                } else {
                    enter(editor, how, input);
                }
                QTest::keyClick(editor, Qt::Key_Return);
                QCoreApplication::processEvents();
                shown = data.settings.value(row);
                write = s.form->settingsPage()->Button2;
                break;
            }
            case Field::SettingsModel:
                data.settings.setValue(row, input);
                shown = data.settings.value(row);
                write = s.form->settingsPage()->Button2;
                break;
            case Field::DeviceName:
                widget<QTabWidget>(*s.form, "PageControl1")
                    ->setCurrentWidget(s.form->servicePage());
                enter(s.form->servicePage()->Edit4, how, input);
                shown = s.form->servicePage()->Edit4->text();
                write = s.form->servicePage()->Button6;
                break;
            case Field::SerialNumber:
                widget<QTabWidget>(*s.form, "PageControl1")
                    ->setCurrentWidget(s.form->servicePage());
                enter(s.form->servicePage()->Edit3, how, input);
                shown = s.form->servicePage()->Edit3->text();
                write = s.form->servicePage()->Button4;
                break;
            case Field::Threshold:
                widget<QTabWidget>(*s.form, "PageControl1")
                    ->setCurrentWidget(s.form->sensorsPage());
                enter(s.form->sensorsPage()->Edit5, how, input);
                shown = data.sensors.threshold();
                write = s.form->sensorsPage()->Button10;
                break;
            case Field::CorrectorSerial:
                data.correctors.setCell(CorrectorsModel::SerialColumn, row, input);
                shown = data.correctors.cell(CorrectorsModel::SerialColumn, row);
                write = s.form->correctorsPage()->Button11;
                break;
            default:
                QFAIL("no such field");
            }
        }
        QCOMPARE(shown, held);

        const int before = int(tracedCommands(options.traceFile).size());
        const int logged = int(s.log().size());
        s.prompt.boxes.clear();
        QTest::mouseClick(write, Qt::LeftButton);
        const QStringList received = tracedCommands(options.traceFile).mid(before);

        // Nothing the unit received carries a control character or a stray part of the input.
        for (const QString &line : received) {
            for (const QChar ch : line)
                QVERIFY2(ch.unicode() >= 0x20 && ch != u'\x7f', qPrintable(line));
            for (const QString &stray :
                 {QStringLiteral("exit"), QStringLiteral("GSMlen=0"), QStringLiteral("sample=1"),
                  QStringLiteral("ATH"), QStringLiteral("CFUN"), QStringLiteral("?")}) {
                QVERIFY2(!line.contains(stray) || (stray == u"?" && line.startsWith(u"AT+CREG?")),
                         qPrintable(line));
            }
        }
        if (!sent.isEmpty())
            QVERIFY2(received.contains(sent), qPrintable(received.join(u'|').left(300)));
        if (!said.isEmpty()) {
            QStringList told = s.log().mid(logged);
            for (const RecordingPrompt::Box &box : std::as_const(s.prompt.boxes))
                told << box.text;
            QVERIFY2(told.contains(said), qPrintable(told.join(u'|')));
        }
        QVERIFY(!s.form->unitData().settings.value(ApnAddress).contains(u'\n'));
    }
};

QTEST_MAIN(OperatorInputTest)
#include "tst_operatorinput.moc"
