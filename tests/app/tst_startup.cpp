#include "app/pages/correctorspage.h"
#include "app/pages/sensorspage.h"
#include "app/pages/servicepage.h"
#include "app/pages/settingspage.h"
#include "app/widgets/portselector.h"
#include "app/widgets/radiogroup.h"
#include "app/widgets/settingstable.h"
#include "app/widgets/stringgrid.h"
#include "link/comport.h"
#include "support/formfixture.h"
#include "support/widgetbyname.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {

const QStringList kPorts = {QStringLiteral("COM1"), QStringLiteral("COM10"),
                            QStringLiteral("COM3")};

QPushButton *button(const TForm1 &form, int number)
{
    return form.findChild<QPushButton *>(QStringLiteral("Button%1").arg(number));
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldRestoreConnectionPanel_data();
    void shouldRestoreConnectionPanel();
    void shouldKeepRefusedNumberOutOfPhoneField_data();
    void shouldKeepRefusedNumberOutOfPhoneField();
    void shouldLeaveOperationButtonsOff_data();
    void shouldLeaveOperationButtonsOff();
    void shouldLayOutPagesAndTables();
    void shouldFitGridRowsToSelectorsWhateverDesktopFont_data();
    void shouldFitGridRowsToSelectorsWhateverDesktopFont();
    void shouldKeepMaskedValuesInStoredForm_data();
    void shouldKeepMaskedValuesInStoredForm();
    void shouldOfferEllipsisOnClockRows();
    void shouldFollowOperatorsConnectionTypeChoice();
};

void StartupTest::shouldRestoreConnectionPanel_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<bool>("fullMode");
    QTest::addColumn<int>("typeItem");
    QTest::addColumn<ConnectionType>("connectionType");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<bool>("phoneEnabled");
    QTest::addColumn<int>("portItem");
    QTest::addColumn<int>("speedItem");

    const QByteArray stored = "[GSMSET]\r\nNumbCom=COM3\r\nSpeed=9600\r\nPhone=89160000001\r\n";
    const QString storedPhone = QStringLiteral("89160000001");

    QTest::newRow("no file, no argument: modem-only")
        << QStringList() << QByteArray() << kPorts << false << -1 << ConnectionType::GsmModem << ""
        << true << 0 << -1;
    QTest::newRow("no file, full mode: direct line")
        << QStringList{"-pelnax"} << QByteArray() << kPorts << true << 0 << ConnectionType::Line
        << "" << false << 0 << -1;
    QTest::newRow("modem-only shows stored phone")
        << QStringList() << stored << kPorts << false << -1 << ConnectionType::GsmModem
        << storedPhone << true << 2 << 3;
    QTest::newRow("modem-only ignores stored TypeConnect")
        << QStringList() << QByteArray("[GSMSET]\r\nTypeConnect=line\r\n") << kPorts << false << -1
        << ConnectionType::GsmModem << "" << true << 0 << -1;
    QTest::newRow("phone argument trimmed")
        << QStringList{"  89161234567 "} << stored << kPorts << false << -1
        << ConnectionType::GsmModem << "89161234567" << true << 2 << 3;
    QTest::newRow("blank argument falls back to stored phone")
        << QStringList{"   "} << stored << kPorts << false << -1 << ConnectionType::GsmModem
        << storedPhone << true << 2 << 3;
    QTest::newRow("stored number written with hyphens and parentheses")
        << QStringList() << QByteArray("[GSMSET]\r\nPhone=8 (900) 123-45-67\r\n") << kPorts << false
        << -1 << ConnectionType::GsmModem << "8 (900) 123-45-67" << true << 0 << -1;
    QTest::newRow("full mode, line")
        << QStringList{"-pelnax"} << QByteArray(stored + "TypeConnect=line\r\n") << kPorts << true
        << 0 << ConnectionType::Line << storedPhone << false << 2 << 3;
    QTest::newRow("full mode, gsm")
        << QStringList{"-pelnax", "ignored"} << QByteArray(stored + "TypeConnect=gsm\r\n") << kPorts
        << true << 1 << ConnectionType::GsmModem << storedPhone << true << 2 << 3;
    QTest::newRow("full mode, GSM in capitals selects nothing")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nTypeConnect=GSM\r\n") << kPorts << true
        << -1 << ConnectionType::None << "" << true << 0 << -1;
    QTest::newRow("NumbCom with blanks inside quotes")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nNumbCom=\"  COM3 \"\r\n") << kPorts
        << true << 0 << ConnectionType::Line << "" << false << 2 << -1;
    QTest::newRow("NumbCom in lower case matches nothing")
        << QStringList{"-pelnax"} << QByteArray("[gsmset]\r\nnumbcom=com3\r\n") << kPorts << true
        << 0 << ConnectionType::Line << "" << false << 0 << -1;
    QTest::newRow("no ports present")
        << QStringList{"-pelnax"} << stored << QStringList() << true << 0 << ConnectionType::Line
        << storedPhone << false << -1 << 3;
    QTest::newRow("Speed in hexadecimal")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nSpeed=0x2580\r\n") << kPorts << true
        << 0 << ConnectionType::Line << "" << false << 0 << 3;
    QTest::newRow("Speed 19200") << QStringList{"-pelnax"}
                                 << QByteArray("[GSMSET]\r\nSpeed=19200\r\n") << kPorts << true << 0
                                 << ConnectionType::Line << "" << false << 0 << 4;
    QTest::newRow("Speed 9601 selects nothing")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nSpeed=9601\r\n") << kPorts << true << 0
        << ConnectionType::Line << "" << false << 0 << -1;
    QTest::newRow("Speed 115200 selects nothing")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nSpeed=115200\r\n") << kPorts << true
        << 0 << ConnectionType::Line << "" << false << 0 << -1;
}

void StartupTest::shouldRestoreConnectionPanel()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, ports);
    QFETCH(bool, fullMode);
    QFETCH(int, typeItem);
    QFETCH(ConnectionType, connectionType);
    QFETCH(QString, phone);
    QFETCH(bool, phoneEnabled);
    QFETCH(int, portItem);
    QFETCH(int, speedItem);

    FormFixture fixture;
    auto form = fixture.start(arguments, ports, ini);
    form->show();

    QCOMPARE(widget<RadioGroup>(*form, "RadioGroup1")->isVisible(), fullMode);
    QCOMPARE(widget<QTabWidget>(*form, "PageControl1")->isTabVisible(3), fullMode);
    QCOMPARE(widget<RadioGroup>(*form, "RadioGroup1")->itemIndex(), typeItem);
    QCOMPARE(form->connectionType(), connectionType);
    QCOMPARE(widget<QLineEdit>(*form, "Edit2")->text(), phone);
    QCOMPARE(widget<QLineEdit>(*form, "Edit2")->isEnabled(), phoneEnabled);
    QCOMPARE(widget<PortSelector>(*form, "CmbComNum")->count(), ports.size());
    QCOMPARE(widget<PortSelector>(*form, "CmbComNum")->currentIndex(), portItem);
    QCOMPARE(widget<QComboBox>(*form, "ComboBox1")->currentIndex(), speedItem);

    // The start-up reads only; it writes neither the settings file nor the log.
    QCOMPARE(QFile::exists(fixture.iniPath()), !ini.isNull());
    QVERIFY(!QFile::exists(fixture.logPath()));
}

// Only a number goes into the phone field: a text with characters no number holds, given on
// the command line or kept in the settings file, would reach the modem as a command of its own
// after "ATD". It stays out of the field, said in red; the start mode is as for any argument.
void StartupTest::shouldKeepRefusedNumberOutOfPhoneField_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("fullMode");

    const QByteArray stored = "[GSMSET]\r\nPhone=89160000001\r\n";
    QTest::newRow("argument with a second command")
        << QStringList{"8900;+CFUN=0"} << stored << false;
    QTest::newRow("switch in other case is no phone number")
        << QStringList{"-PELNAX"} << stored << false;
    QTest::newRow("argument with letters") << QStringList{"  8916abc "} << stored << false;
    QTest::newRow("stored number with a second command, modem-only")
        << QStringList() << QByteArray("[GSMSET]\r\nPhone=8900;+CFUN=0\r\n") << false;
    QTest::newRow("stored number with a second command, full mode")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nTypeConnect=gsm\r\nPhone=8900;ATH\r\n")
        << true;
}

void StartupTest::shouldKeepRefusedNumberOutOfPhoneField()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, ini);
    QFETCH(bool, fullMode);

    FormFixture fixture;
    auto form = fixture.start(arguments, kPorts, ini);

    QCOMPARE(widget<QLineEdit>(*form, "Edit2")->text(), QString());
    QCOMPARE(form->connectionType(), ConnectionType::GsmModem);
    QCOMPARE(widget<QTabWidget>(*form, "PageControl1")->isTabVisible(3), fullMode);
    const QString pane = widget<QTextEdit>(*form, "LogRichEdit")->toPlainText();
    QVERIFY2(pane.endsWith(QStringLiteral("Некорректный номер телефона!")), qPrintable(pane));
}

void StartupTest::shouldLeaveOperationButtonsOff_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("maintenanceOn"); // Button15, Button19: kept from construction
    QTest::addColumn<bool>("autodetectOn");  // Button16

    QTest::newRow("modem-only") << QStringList() << QByteArray() << false << false;
    QTest::newRow("full mode, line") << QStringList{"-pelnax"} << QByteArray() << false << false;
    QTest::newRow("full mode, gsm")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nTypeConnect=gsm\r\n") << false
        << false;
    QTest::newRow("full mode, damaged type leaves three buttons alone")
        << QStringList{"-pelnax"} << QByteArray("[GSMSET]\r\nTypeConnect=GSM\r\n") << true << true;
}

void StartupTest::shouldLeaveOperationButtonsOff()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, ini);
    QFETCH(bool, maintenanceOn);
    QFETCH(bool, autodetectOn);

    FormFixture fixture;
    auto form = fixture.start(arguments, kPorts, ini);

    for (const int number : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})
        QVERIFY2(!button(*form, number)->isEnabled(), qPrintable(QString::number(number)));
    QCOMPARE(form->servicePage()->Button15->isEnabled(), maintenanceOn);
    QCOMPARE(form->servicePage()->Button19->isEnabled(), maintenanceOn);
    QCOMPARE(form->correctorsPage()->Button16->isEnabled(), autodetectOn);
    QVERIFY(widget<QPushButton>(*form, "Button12")->isEnabled());
    QVERIFY(!widget<QPushButton>(*form, "Button14")->isEnabled());
    QVERIFY(widget<QToolButton>(*form, "ButtonDefVals")->isEnabled());
    QVERIFY(widget<QToolButton>(*form, "ButtonSaveParams")->isEnabled());
    QVERIFY(widget<QTabWidget>(*form, "PageControl1")->isEnabled());
    QCOMPARE(widget<QTabWidget>(*form, "PageControl1")->currentIndex(), 0);
    QVERIFY(!widget<QTimer>(*form, "Timer1")->isActive());
    QCOMPARE(widget<QTimer>(*form, "Timer1")->interval(), 10000);
    QVERIFY(!form->comPort()->Connected());
}

void StartupTest::shouldFitGridRowsToSelectorsWhateverDesktopFont_data()
{
    QTest::addColumn<int>("points");
    QTest::newRow("9 pt") << 9;
    QTest::newRow("12 pt") << 12;
    QTest::newRow("16 pt") << 16;
}

void StartupTest::shouldFitGridRowsToSelectorsWhateverDesktopFont()
{
    QFETCH(int, points);
    const QFont desktop = QApplication::font();
    const auto restore = qScopeGuard([desktop] { QApplication::setFont(desktop); });
    QFont font = desktop;
    font.setPointSize(points);
    QApplication::setFont(font);

    FormFixture fixture;
    auto form = fixture.start({QStringLiteral("-pelnax")});
    const StringGrid &sensors = *form->sensorsPage()->StringGrid1;
    const StringGrid &correctors = *form->correctorsPage()->StringGrid2;
    for (int r = 0; r < sensors.rowCount(); ++r)
        QCOMPARE(sensors.rowHeight(r), form->sensorsPage()->ComboBox3->sizeHint().height());
    for (int r = 0; r < correctors.rowCount(); ++r)
        QCOMPARE(correctors.rowHeight(r), form->correctorsPage()->ComboBox5->sizeHint().height());
}

void StartupTest::shouldLayOutPagesAndTables()
{
    FormFixture fixture;
    auto form = fixture.start({QStringLiteral("-pelnax")});

    QCOMPARE(form->windowTitle(), QStringLiteral("Конфигуратор Тавикс-М (1.1)"));
    const QStringList pages = {"Параметры устройства", "Датчики", "Корректоры", "Сервис"};
    QCOMPARE(widget<QTabWidget>(*form, "PageControl1")->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(widget<QTabWidget>(*form, "PageControl1")->tabText(i), pages[i]);

    QCOMPARE(form->settingsPage()->VLESetting->rowCount(), 15);
    QCOMPARE(form->settingsPage()->VLESetting->key(0), QStringLiteral("APN адрес"));
    QCOMPARE(form->settingsPage()->VLESetting->key(14),
             QStringLiteral("Нач. дата считывания архива Тавикс-М"));
    QCOMPARE(form->settingsPage()->VLESetting->rowOfKey(QStringLiteral("Номер телефона 2")), 11);
    for (int row = 0; row < 15; ++row) {
        const bool timeRow = row == 6 || row == 8;
        const bool phoneRow = row >= 10 && row <= 12;
        const bool clockRow = row >= 13;
        QCOMPARE(form->settingsPage()->VLESetting->editMask(row).qtMask(),
                 timeRow    ? QStringLiteral("99:99:99;_")
                 : phoneRow ? QStringLiteral("8-9999999999;_")
                            : QString());
        QCOMPARE(form->settingsPage()->VLESetting->isReadOnly(row), clockRow);
        QCOMPARE(form->settingsPage()->VLESetting->hasEllipsisButton(row), clockRow);
    }

    const StringGrid &sensors = *form->sensorsPage()->StringGrid1;
    QCOMPARE(sensors.columnCount(), 4);
    QCOMPARE(sensors.rowCount(), 7);
    QCOMPARE(sensors.cell(0, 0), QString());
    QCOMPARE(sensors.cell(1, 0), QStringLiteral("Состояние датчика"));
    QCOMPARE(sensors.cell(3, 0), QStringLiteral("Реакция на срабатывание"));
    QCOMPARE(sensors.cell(0, 1), QStringLiteral("Датчик1"));
    QCOMPARE(sensors.cell(0, 6), QStringLiteral("Датчик6"));
    QCOMPARE(sensors.columnWidth(3), 192);
    QCOMPARE(sensors.rowHeight(4), form->sensorsPage()->ComboBox3->sizeHint().height());

    const StringGrid &correctors = *form->correctorsPage()->StringGrid2;
    QCOMPARE(correctors.columnCount(), 6);
    QCOMPARE(correctors.rowCount(), 4);
    QCOMPARE(correctors.cell(5, 0), QStringLiteral("Нач. дата считывания"));
    QCOMPARE(correctors.cell(0, 1), QStringLiteral("X10"));
    QCOMPARE(correctors.cell(0, 2), QStringLiteral("X15"));
    QCOMPARE(correctors.cell(0, 3), QStringLiteral("X11"));
    QCOMPARE(correctors.columnWidth(5), 147);

    form->show();
    QVERIFY(!form->sensorsPage()->ComboBox2->isVisible());
    QVERIFY(!form->sensorsPage()->ComboBox3->isVisible());
    QVERIFY(!form->correctorsPage()->ComboBox5->isVisible());
    QCOMPARE(form->sensorsPage()->ComboBox6->currentText(), QStringLiteral("Нет реакции"));
    QCOMPARE(form->sensorsPage()->ComboBox6->count(), 4);
    QCOMPARE(widget<QComboBox>(*form, "ComboBox1")->count(), 5);
}

void StartupTest::shouldKeepMaskedValuesInStoredForm_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    // Nothing typed, nothing written back.
    QTest::newRow("untouched time") << 6 << ""
                                    << "";
    QTest::newRow("partly typed time") << 8 << "1234"
                                       << "12:34:  ";
    QTest::newRow("full time") << 6 << "235959"
                               << "23:59:59";
    QTest::newRow("untouched phone") << 10 << ""
                                     << "";
    QTest::newRow("full phone") << 12 << "9161234567"
                                << "8-9161234567";
    QTest::newRow("letters refused by the mask") << 11 << "91a6"
                                                 << "8-916       ";
    QTest::newRow("free text row") << 0 << "internet.apn"
                                   << "internet.apn";
}

void StartupTest::shouldKeepMaskedValuesInStoredForm()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    FormFixture fixture;
    auto form = fixture.start({QStringLiteral("-pelnax")});
    form->show();
    SettingsTable *table = form->settingsPage()->VLESetting;

    const QModelIndex index = table->model()->index(row, 1);
    table->setCurrentIndex(index);
    table->edit(index);
    auto *editor = table->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setCursorPosition(0);
    if (row >= 10)
        editor->setCursorPosition(2);
    QTest::keyClicks(editor, typed);
    table->itemDelegateForColumn(1)->setModelData(editor, table->model(), index);

    QCOMPARE(table->value(row), stored);
}

void StartupTest::shouldOfferEllipsisOnClockRows()
{
    FormFixture fixture;
    auto form = fixture.start({QStringLiteral("-pelnax")});
    form->show();
    SettingsTable *table = form->settingsPage()->VLESetting;
    table->setValue(13, QStringLiteral("01.02.2026 10:00:00"));
    QSignalSpy pressed(table, &SettingsTable::editButtonClicked);

    const QModelIndex index = table->model()->index(13, 1);
    table->setCurrentIndex(index);
    table->edit(index);
    auto *ellipsis = table->viewport()->findChild<QToolButton *>(QStringLiteral("EllipsisButton"));
    QVERIFY(ellipsis);
    auto *text = table->viewport()->findChild<QLineEdit *>();
    QVERIFY(text->isReadOnly());
    QTest::keyClicks(text, QStringLiteral("99"));
    QTest::mouseClick(ellipsis, Qt::LeftButton);

    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.first().first().toInt(), 13);
    table->itemDelegateForColumn(1)->setModelData(table->viewport()->findChild<QWidget *>(),
                                                  table->model(), index);
    QCOMPARE(table->value(13), QStringLiteral("01.02.2026 10:00:00"));
}

void StartupTest::shouldFollowOperatorsConnectionTypeChoice()
{
    FormFixture fixture;
    auto form = fixture.start({QStringLiteral("-pelnax")});
    form->show();
    const auto radios = widget<RadioGroup>(*form, "RadioGroup1")->findChildren<QAbstractButton *>();
    QCOMPARE(radios.size(), 2);

    QTest::mouseClick(radios[1], Qt::LeftButton);
    QCOMPARE(form->connectionType(), ConnectionType::GsmModem);
    QVERIFY(widget<QLineEdit>(*form, "Edit2")->isEnabled());
    QTest::mouseClick(radios[0], Qt::LeftButton);
    QCOMPARE(form->connectionType(), ConnectionType::Line);
    QVERIFY(!widget<QLineEdit>(*form, "Edit2")->isEnabled());

    // The choice changes neither the buttons nor the settings file.
    QVERIFY(!form->servicePage()->Button15->isEnabled());
    QVERIFY(!QFile::exists(fixture.iniPath()));
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
