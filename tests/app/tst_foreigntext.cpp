// Text from the unit, from a file or from the operator is shown as the characters it is and
// never obeyed as markup: a unit whose values look like HTML ("<b>BOLD</b>", an
// "<img src=/dev/zero>" whose loading would never end) shows them as typed in every field that
// holds one, in the log, in the compare view of a backup holding them and in the boxes.
#include "app/dialogs/comparedialog.h"
#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/tavixapplication.h"
#include "app/userprompt.h"
#include "app/widgets/captionpanel.h"
#include "app/widgets/settingstable.h"
#include "app/widgets/stringgrid.h"
#include "config/cp1251.h"
#include "protocol/protocolkeys.h"
#include "protocol/settingsrows.h"
#include "support/session.h"
#include "support/widgetbyname.h"
#include "unit/unitbackup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace Protocol;

namespace {

const QString kBold = QStringLiteral("<b>BOLD</b>");
const QString kImage = QStringLiteral("<img src=/dev/zero>");

// The unit's keys that hold text the pages show as it comes.
const int kTextKeys[] = {GPRSapn,         GPRSlogin,     GPRSpass,      ipaddress, FTPlogin,
                         FTPpass,         DEVNAME,       DEVSERIAL,     DEVVERS,   BATTERY,
                         NAME_CORRECTOR1, SN_CORRECTOR1, VER_CORRECTOR1};

// A tool tip is shown as rich text when it looks like HTML: the value in it only escaped.
void verifyNoMarkupInToolTip(const QVariant &tip, const QString &value)
{
    const QString text = tip.toString();
    if (Qt::mightBeRichText(text))
        QVERIFY2(!text.contains(value), qPrintable(text));
}

// The tool tip shows the value as its characters.
void verifyToolTipShows(const QVariant &tip, const QString &value)
{
    const QString text = tip.toString();
    if (!Qt::mightBeRichText(text)) {
        QCOMPARE(text, value);
        return;
    }
    QVERIFY2(!text.contains(value), qPrintable(text));
    QVERIFY2(text.contains(value.toHtmlEscaped()), qPrintable(text));
}

// No label that shows the value takes it as markup, and no view's tool tip.
void verifyNoWidgetTakesMarkup(const QWidget &root, const QString &value)
{
    for (const QLabel *label : root.findChildren<QLabel *>()) {
        if (label->text().contains(value))
            QCOMPARE(label->textFormat(), Qt::PlainText);
        verifyNoMarkupInToolTip(label->toolTip(), value);
    }
    for (const QAbstractItemView *view : root.findChildren<QAbstractItemView *>()) {
        const QAbstractItemModel *model = view->model();
        if (!model)
            continue;
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column)
                verifyNoMarkupInToolTip(model->index(row, column).data(Qt::ToolTipRole), value);
        }
    }
}

// Characters shown as characters: no fragment of the pane is an image or bold.
void verifyPanePlain(const QTextEdit &pane)
{
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QVERIFY(!format.isImageFormat());
            QVERIFY(format.fontWeight() <= QFont::Normal);
        }
    }
}

enum class Field { Title, SettingsRow, Battery, CorrectorCell, DeviceName, SerialNumber, Log };

} // namespace

Q_DECLARE_METATYPE(Field)

class ForeignTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldShowUnitTextAsText_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<int>("which"); // the settings row or the corrector grid's column
        QTest::addColumn<QString>("value");
        for (const QString &value : {kBold, kImage}) {
            const QByteArray kind = value == kBold ? "bold" : "image";
            const auto row = [&kind](const char *name) -> QTestData & {
                return QTest::newRow(QByteArray(name + QByteArray(", ") + kind).constData());
            };
            row("title") << Field::Title << 0 << value;
            for (int r = SettingsRows::ApnAddress; r <= SettingsRows::FtpPassword; ++r)
                QTest::newRow(
                    QByteArray("settings row " + QByteArray::number(r) + ", " + kind).constData())
                    << Field::SettingsRow << r << value;
            row("battery") << Field::Battery << 0 << value;
            row("corrector type") << Field::CorrectorCell << int(CorrectorsModel::TypeColumn)
                                  << value;
            row("corrector serial number")
                << Field::CorrectorCell << int(CorrectorsModel::SerialColumn) << value;
            row("corrector version")
                << Field::CorrectorCell << int(CorrectorsModel::VersionColumn) << value;
            row("device name") << Field::DeviceName << 0 << value;
            row("serial number") << Field::SerialNumber << 0 << value;
            row("log of a write") << Field::Log << 0 << value;
        }
    }

    void shouldShowUnitTextAsText()
    {
        QFETCH(Field, field);
        QFETCH(int, which);
        QFETCH(QString, value);
        Session s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.stateFile = s.dir.filePath(QStringLiteral("unit.ini"));
        QString state = QStringLiteral("[UNIT]\r\n");
        for (const int key : kTextKeys)
            state += kProtocolKeys[key] + QStringLiteral("=\"") + value + QStringLiteral("\"\r\n");
        writeBytes(options.unitOptions.stateFile, Cp1251::fromUnicode(state));
        s.start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());

        switch (field) {
        case Field::Title: {
            const auto *caption = widget<CaptionPanel>(*s.form, "Panel4")->findChild<QLabel *>();
            QVERIFY(caption);
            QCOMPARE(caption->text(),
                     value + QStringLiteral(" № ") + value + QStringLiteral(", версия ") + value);
            QCOMPARE(caption->textFormat(), Qt::PlainText);
            break;
        }
        case Field::SettingsRow: {
            const SettingsTable *view = s.form->settingsPage()->VLESetting;
            const QModelIndex index = view->model()->index(which, 1);
            QCOMPARE(index.data().toString(), value);
            verifyToolTipShows(index.data(Qt::ToolTipRole), value);
            break;
        }
        case Field::Battery: {
            const QLabel *battery = s.form->sensorsPage()->Label5;
            QCOMPARE(battery->text(), value);
            QCOMPARE(battery->textFormat(), Qt::PlainText);
            break;
        }
        case Field::CorrectorCell: {
            const QModelIndex index =
                s.form->correctorsPage()->StringGrid2->model()->index(1, which);
            QCOMPARE(index.data().toString(), value);
            verifyNoMarkupInToolTip(index.data(Qt::ToolTipRole), value);
            break;
        }
        case Field::DeviceName:
        case Field::SerialNumber: {
            ServicePage *page = s.form->servicePage();
            const bool name = field == Field::DeviceName;
            QTest::mouseClick(name ? page->Button5 : page->Button3, Qt::LeftButton);
            QCOMPARE((name ? page->Edit4 : page->Edit3)->text(), value);
            break;
        }
        case Field::Log: {
            s.form->unitData().settings.setValue(SettingsRows::ApnAddress,
                                                 QStringLiteral("new.example.net"));
            QTest::mouseClick(s.form->settingsPage()->Button2, Qt::LeftButton);
            QVERIFY2(s.log().contains(QStringLiteral("Перезапись [APN адрес]: ") + value +
                                      QStringLiteral(" --> new.example.net")),
                     qPrintable(s.log().join(u'\n')));
            verifyPanePlain(*widget<QTextEdit>(*s.form, "LogRichEdit"));
            break;
        }
        }
        verifyNoWidgetTakesMarkup(*s.form, value);
    }

    // A backup holding such values, opened with compare: its number in the heading, its
    // values in the table and its name in the tool tip, all as text.
    void shouldShowFileTextAsText_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("bold") << kBold;
        QTest::newRow("image") << kImage;
    }

    void shouldShowFileTextAsText()
    {
        QFETCH(QString, value);
        Session s;
        s.start(Session::quickOptions(false), QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*s.form, "Button12"), Qt::LeftButton);
        QVERIFY(s.form->portConnected());
        UnitSnapshot saved = Snapshot::of(s.form->unitData(), QDateTime::currentDateTime());
        for (const int key : {GPRSapn, GPRSlogin, FTPpass, NAME_CORRECTOR1, DEVSERIAL})
            saved.values[key] = value;
        saved.deviceNumber = value;
        const QString file = s.dir.filePath(QStringLiteral("<u>копия.ini"));
        QString why;
        QVERIFY2(UnitBackup::writeNew(file, saved, &why), qPrintable(why));

        s.prompt.fileToOpen = file;
        QTest::mouseClick(widget<QToolButton>(*s.form, "ButtonCompare"), Qt::LeftButton);
        auto *dialog = s.form->findChild<CompareDialog *>();
        QVERIFY(dialog);
        QVERIFY(dialog->LabelFile->text().contains(QStringLiteral("прибор № ") + value));
        QCOMPARE(dialog->LabelFile->textFormat(), Qt::PlainText);
        verifyToolTipShows(dialog->LabelFile->toolTip(), file);
        const QTableWidget &table = *dialog->CompareTable;
        QCOMPARE(table.item(0, 0)->text(), QStringLiteral("APN адрес"));
        QCOMPARE(table.item(0, 2)->text(), value);
        for (int row = 0; row < table.rowCount(); ++row) {
            for (int column = 0; column < table.columnCount(); ++column)
                verifyToolTipShows(table.item(row, column)->toolTip(),
                                   table.item(row, column)->text());
        }
        verifyNoWidgetTakesMarkup(*dialog, value);
        dialog->close();
    }

    // The message boxes quote replies, file names and values: their text is plain.
    void shouldShowBoxTextAsText_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        for (const QString kind : {"inform", "ask", "error"}) {
            QTest::newRow(qPrintable(kind + QStringLiteral(", bold"))) << kind << kBold;
            QTest::newRow(qPrintable(kind + QStringLiteral(", image"))) << kind << kImage;
        }
    }

    void shouldShowBoxTextAsText()
    {
        QFETCH(QString, kind);
        QFETCH(QString, value);
        UserPrompt::install(nullptr); // the real boxes
        const QString text = QStringLiteral("Ответ прибора: ") + value;
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown = box->text();
            format = box->textFormat();
            box->done(0);
        });
        if (kind == QStringLiteral("inform"))
            UserPrompt::current().inform(nullptr, QStringLiteral("Считывание данных"), text);
        else if (kind == QStringLiteral("ask"))
            UserPrompt::current().askYesNo(nullptr, QStringLiteral("Изменение!"), text, value);
        else
            UserPrompt::current().showError(nullptr, QStringLiteral("Тавикс-М"), text);
        QCOMPARE(shown, text);
        QCOMPARE(format, Qt::PlainText);
    }
};

QTEST_MAIN(ForeignTextTest)
#include "tst_foreigntext.moc"
