// The sensors page in the real window, offscreen, connected to the simulated unit: the
// selectors placed over the grid's cells, chosen from with the mouse or the keyboard and
// closed with or without a choice; the page's buttons running the read and the write; the
// error box of a read that meets a value that is no number.
#include "app/pages/sensorspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/stringgrid.h"
#include "devices/textgrid.h"
#include "support/session.h"
#include "support/widgetbyname.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

const QString kClosed = QStringLiteral("Замыкание");
const QString kOpened = QStringLiteral("Размыкание");
const QString kSms = QStringLiteral("Передать СМС");
const QString kBoth = QStringLiteral("Передать СМС и архив по GPRS");

// A window connected over a line to a unit with the simulator's own values (register 5,
// ESTATSENS 3, reactions 1 0 2 3 0 0), showing the sensors page.
struct SensorsSession : Session
{
    SensorsPage *page = nullptr;

    void connect(SimOptions options = Session::quickOptions(false))
    {
        options.traceFile = dir.filePath(QStringLiteral("trace.txt"));
        start(options, QStringLiteral("line"));
        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);
        page = form->sensorsPage();
        widget<QTabWidget>(*form, "PageControl1")->setCurrentWidget(page);
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            qFatal("the window never became active");
    }

    StringGrid &grid() const { return *page->StringGrid1; }
    QModelIndex index(int column, int row) const { return grid().model()->index(row, column); }
    QString cell(int column, int row) const { return grid().cell(column, row); }
    bool shownBlue(int column, int row) const
    {
        return grid().model()->data(index(column, row), Qt::ForegroundRole) ==
               QVariant(QBrush(Qt::blue));
    }
    void click(int column, int row)
    {
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {},
                          grid().visualRect(index(column, row)).center());
    }
    CellSelector *selector(int column) const
    {
        return column == 2 ? page->ComboBox2 : page->ComboBox3;
    }

    // The lines the unit received after the connection's block query.
    QStringList sent() const
    {
        QFile file(dir.filePath(QStringLiteral("trace.txt")));
        QStringList lines;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n')) {
                if (!line.isEmpty())
                    lines << QString::fromLatin1(line.mid(25));
            }
        }
        return lines.mid(lines.indexOf(QStringLiteral("group_info")) + 1);
    }
};

// Where a selector must stand over a cell, in the page's coordinates (the grid's parent):
// 1 pixel inside the cell's top-left corner and 1 pixel larger each way.
QRect expectedPlace(const SensorsSession &s, int column, int row)
{
    const QRect cell = s.grid().visualRect(s.index(column, row));
    return QRect(s.grid().viewport()->mapTo(s.page, cell.topLeft()) + QPoint(1, 1),
                 cell.size() + QSize(1, 1));
}

} // namespace

class SensorsPageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        // Every failure was handled where it happened, none crossed the toolkit.
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldPlaceSelectorOverSelectedCell_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<int>("entry");
        QTest::newRow("alarm contact of sensor 2") << 2 << 2 << false << 1;
        QTest::newRow("alarm contact of sensor 3") << 2 << 3 << false << 0;
        QTest::newRow("reaction of sensor 4") << 3 << 4 << false << 3;
        QTest::newRow("reaction of sensor 6") << 3 << 6 << false << 0;
        QTest::newRow("an empty cell: no entry") << 3 << 2 << true << -1;
    }

    void shouldPlaceSelectorOverSelectedCell()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(bool, emptied);
        QFETCH(int, entry);
        SensorsSession s;
        s.connect();
        if (emptied)
            s.form->unitData().sensors.setCell(column, row, QString());
        s.click(column, row);

        CellSelector *selector = s.selector(column);
        QVERIFY(selector->isVisible());
        QVERIFY(!s.selector(column == 2 ? 3 : 2)->isVisible());
        QCOMPARE(selector->parentWidget(), s.grid().parentWidget());
        QCOMPARE(selector->geometry(), expectedPlace(s, column, row));
        QCOMPARE(selector->currentIndex(), entry);
        QCOMPARE(QApplication::focusWidget(), selector);
    }

    void shouldLeaveStateColumnWithoutSelector()
    {
        SensorsSession s;
        s.connect();
        s.click(1, 3);
        QVERIFY(!s.page->ComboBox2->isVisible());
        QVERIFY(!s.page->ComboBox3->isVisible());
        QVERIFY(!(s.grid().model()->flags(s.index(1, 3)) & Qt::ItemIsEditable));
        QCOMPARE(s.cell(1, 3), QStringLiteral("Тревога"));
    }

    void shouldWriteEntryBackWhenSelectorCloses_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blue");
        QTest::newRow("contact chosen with the mouse")
            << 2 << 3 << false << "click" << 1 << kOpened << true;
        QTest::newRow("reaction chosen with Enter")
            << 3 << 1 << false << "enter" << 3 << kBoth << true;
        QTest::newRow("the unit's own entry chosen again")
            << 3 << 1 << false << "enter" << 1 << kSms << false;
        QTest::newRow("list closed with Escape")
            << 2 << 2 << false << "escape" << 0 << kOpened << false;
        QTest::newRow("empty cell, list closed without a choice")
            << 2 << 2 << true << "escape" << 0 << QString() << true;
        QTest::newRow("empty cell, focus leaves without a choice")
            << 3 << 5 << true << "leave" << 0 << QString() << true;
    }

    void shouldWriteEntryBackWhenSelectorCloses()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(bool, emptied);
        QFETCH(QString, how);
        QFETCH(int, choice);
        QFETCH(QString, text);
        QFETCH(bool, blue);
        SensorsSession s;
        s.connect();
        if (emptied)
            s.form->unitData().sensors.setCell(column, row, QString());
        s.click(column, row);
        CellSelector *selector = s.selector(column);
        QVERIFY(selector->isVisible());

        if (how == QLatin1String("leave")) {
            s.page->Edit5->setFocus();
        } else {
            selector->showPopup();
            QAbstractItemView *list = selector->view();
            QTRY_VERIFY(list->isVisible());
            const QModelIndex item = list->model()->index(choice, 0);
            if (how == QLatin1String("click")) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualRect(item).center());
            } else {
                list->setCurrentIndex(item);
                QTest::keyClick(list,
                                how == QLatin1String("enter") ? Qt::Key_Return : Qt::Key_Escape);
            }
        }
        QTRY_VERIFY(!selector->isVisible());
        QCOMPARE(s.cell(column, row), text);
        QCOMPARE(s.shownBlue(column, row), blue);
        // The window's keyboard goes to the grid (the window itself may not be active again yet
        // once a list has closed offscreen).
        if (how != QLatin1String("leave"))
            QCOMPARE(s.form->focusWidget(), &s.grid());
    }

    void shouldWorkFromKeyboard()
    {
        SensorsSession s;
        s.connect();
        s.click(1, 1);
        QCOMPARE(QApplication::focusWidget(), &s.grid());

        // An arrow onto a contact cell places its selector; arrows go on through the grid
        // without changing the entry.
        QTest::keyClick(&s.grid(), Qt::Key_Right);
        QVERIFY(s.page->ComboBox2->isVisible());
        QCOMPARE(QApplication::focusWidget(), s.page->ComboBox2);
        QTest::keyClick(s.page->ComboBox2, Qt::Key_Down);
        QCOMPARE(s.grid().currentIndex(), s.index(2, 2));
        QCOMPARE(s.page->ComboBox2->geometry(), expectedPlace(s, 2, 2));
        QCOMPARE(s.page->ComboBox2->currentText(), kOpened);
        QCOMPARE(s.cell(2, 1), kOpened);
        QTest::keyClick(s.page->ComboBox2, Qt::Key_Down);
        QCOMPARE(s.cell(2, 2), kOpened);
        QCOMPARE(s.page->ComboBox2->currentText(), kClosed);
        QTest::keyClick(s.page->ComboBox2, Qt::Key_Right);
        QVERIFY(!s.page->ComboBox2->isVisible());
        QVERIFY(s.page->ComboBox3->isVisible());
        QCOMPARE(s.grid().currentIndex(), s.index(3, 3));

        // Escape gives the grid back; a key opens the selector with its list.
        QTest::keyClick(s.page->ComboBox3, Qt::Key_Escape);
        QVERIFY(!s.page->ComboBox3->isVisible());
        QCOMPARE(QApplication::focusWidget(), &s.grid());
        for (const auto key : {Qt::Key_F4, Qt::Key_F2, Qt::Key_Space}) {
            QTest::keyClick(&s.grid(), key);
            QVERIFY(s.page->ComboBox3->isVisible());
            QAbstractItemView *list = s.page->ComboBox3->view();
            QTRY_VERIFY(list->isVisible());
            QTest::keyClick(list, Qt::Key_Escape);
            QTRY_VERIFY(!s.page->ComboBox3->isVisible());
        }
        QTest::keyClick(&s.grid(), Qt::Key_Down, Qt::AltModifier);
        QAbstractItemView *list = s.page->ComboBox3->view();
        QTRY_VERIFY(list->isVisible());
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(!s.page->ComboBox3->isVisible());
        QCOMPARE(s.cell(3, 3), QStringLiteral("Нет реакции"));
        QVERIFY(s.shownBlue(3, 3));
    }

    void shouldReadAndWriteWithPageButtons()
    {
        SensorsSession s;
        s.connect();
        SensorsModel &sensors = s.form->unitData().sensors;
        // Changed on the page: one contact through its selector, the threshold typed.
        s.click(2, 4);
        s.page->ComboBox2->setCurrentIndex(1);
        s.page->Edit5->setFocus();
        QCOMPARE(s.cell(2, 4), kOpened);
        QVERIFY(s.shownBlue(2, 4));
        s.page->Edit5->selectAll();
        QTest::keyClicks(s.page->Edit5, QStringLiteral("3,5"));
        QCOMPARE(sensors.threshold(), QStringLiteral("3,5"));
        QCOMPARE(s.page->Edit5->palette().color(QPalette::Text), QColor(Qt::blue));

        const int before = int(s.log().size());
        QTest::mouseClick(s.page->Button10, Qt::LeftButton);
        QCOMPARE(s.sent(), (QStringList{"ESTATSENS=11", "BATTERY", "LowAlarmWarning=3.5"}));
        QCOMPARE(s.log().mid(before, 2),
                 (QStringList{"Перезапись параметров датчиков...",
                              "Перезапись [Датчик4, сигнал тревоги]: Замыкание --> Размыкание"}));
        QCOMPARE(s.log().last(), QStringLiteral("Перезапись параметров датчиков завершена."));
        QVERIFY(!s.shownBlue(2, 4));
        QVERIFY(s.page->Button10->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());

        // The read brings the unit's values, and the threshold's baseline with it.
        QTest::mouseClick(s.page->Button9, Qt::LeftButton);
        QCOMPARE(s.log().last(), QStringLiteral("Считывание состояния датчиков завершено."));
        QCOMPARE(s.page->Label5->text(), QStringLiteral("3.61 В."));
        QCOMPARE(s.page->Edit5->text(), QStringLiteral("3.5"));
        QCOMPARE(s.page->Edit5->palette().color(QPalette::Text),
                 s.page->Edit6->palette().color(QPalette::Text));
        QCOMPARE(s.page->Edit6->text(), QStringLiteral("60"));
        QCOMPARE(s.page->ComboBox6->currentText(), kSms);
        QCOMPARE(s.cell(2, 4), kOpened);
        QVERIFY(s.page->Button9->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
    }

    void shouldSendPeriodAndThresholdReactionChangedOnPage()
    {
        SensorsSession s;
        s.connect();
        // The unit's period is 60 and its threshold reaction "Передать СМС".
        s.page->Edit6->setFocus();
        s.page->Edit6->selectAll();
        QTest::keyClicks(s.page->Edit6, QStringLiteral("30"));
        s.page->ComboBox6->setFocus();
        QTest::keyClick(s.page->ComboBox6, Qt::Key_Down);
        QCOMPARE(s.page->ComboBox6->currentIndex(), 2);
        QCOMPARE(s.page->Edit6->palette().color(QPalette::Text), QColor(Qt::blue));
        QCOMPARE(s.page->ComboBox6->palette().color(QPalette::ButtonText), QColor(Qt::blue));

        QTest::mouseClick(s.page->Button10, Qt::LeftButton);
        QCOMPARE(s.sent(), (QStringList{"BATTERY", "LowAlarmEvent=2", "sample=30"}));
        QCOMPARE(s.log().last(), QStringLiteral("Перезапись параметров датчиков завершена."));
    }

    void shouldShowErrorBoxWhenStatesAreNoNumber()
    {
        SensorsSession s;
        SimOptions options = Session::quickOptions(false);
        options.unitOptions.replies.insert(QStringLiteral("register"),
                                           QStringLiteral("x\r\nOK\r\n"));
        s.connect(options);
        QTest::mouseClick(s.page->Button9, Qt::LeftButton);

        QCOMPARE(s.prompt.boxes.size(), 1);
        QCOMPARE(s.prompt.boxes[0].kind, QStringLiteral("error"));
        QCOMPARE(s.prompt.boxes[0].text, QStringLiteral("Неправильное целое число: 'x'"));
        QCOMPARE(s.log().mid(s.log().size() - 2),
                 (QStringList{"Считывание состояния датчиков...",
                              "Считывание состояния датчиков завершено."}));
        QCOMPARE(s.sent(), QStringList{"register"});
        // The operation frame was closed behind it.
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());
        QVERIFY(s.page->Button9->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    SensorsPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sensorspage.moc"
