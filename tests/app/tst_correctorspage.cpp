// The correctors page in the real window, offscreen, connected to the simulated unit: the
// speed selector placed over the grid's cells and closed with or without a choice; the serial
// numbers and start dates typed as in any table, the start dates through their mask; the other
// cells refusing typing; blue for what differs from the unit; the page's buttons reading and
// writing; auto-detection offered only over a modem.
#include "app/pages/correctorspage.h"
#include "app/tavixapplication.h"
#include "app/widgets/cellselector.h"
#include "app/widgets/stringgrid.h"
#include "devices/correctorsmodel.h"
#include "support/session.h"
#include "support/widgetbyname.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

using C = CorrectorsModel;

const QString kDate1 = QStringLiteral("01.10.2026, 00:00:00");

void activate(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// A window connected to a unit with the simulator's own correctors (X10: GasCor-100, 100234,
// 3.1, 9600, 01.10.2026 00:00:00; X15 and X11 empty at 19200), showing the correctors page.
struct CorrectorsSession : Session
{
    CorrectorsPage *page = nullptr;

    void connect(SimOptions options = Session::quickOptions(false),
                 const QString &type = QStringLiteral("line"))
    {
        options.traceFile = dir.filePath(QStringLiteral("trace.txt"));
        start(options, type, QStringLiteral("89160000001"));
        QTest::mouseClick(widget<QPushButton>(*form, "Button12"), Qt::LeftButton);
        page = form->correctorsPage();
        widget<QTabWidget>(*form, "PageControl1")->setCurrentWidget(page);
        activate(form.get());
    }

    CorrectorsModel &model() const { return form->unitData().correctors; }
    StringGrid &grid() const { return *page->StringGrid2; }
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
    // The editor open in the grid, if any: it has the window's focus (the window itself may not
    // be active again yet once a list has closed offscreen).
    QLineEdit *editor() const
    {
        auto *line = qobject_cast<QLineEdit *>(form->focusWidget());
        return line && grid().isAncestorOf(line) ? line : nullptr;
    }

    // Makes the cell the grid's current one and types into it: the first key starts editing,
    // as in any table; then the last key.
    void typeInto(int column, int row, const QString &keys, Qt::Key last)
    {
        grid().setFocus();
        grid().setCurrentIndex(index(column, row));
        if (!keys.isEmpty())
            QTest::keyClicks(&grid(), keys.left(1));
        if (QLineEdit *line = editor()) {
            QTest::keyClicks(line, keys.mid(1));
            QTest::keyClick(line, last);
        }
        // Enter hands the value over on the next turn of the event loop.
        QCoreApplication::processEvents();
    }

    // The lines the unit received after the connection's block query.
    QStringList sent() const
    {
        QFile file(dir.filePath(QStringLiteral("trace.txt")));
        QStringList lines;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n')) {
                if (!line.isEmpty())
                    lines << QString::fromLatin1(line.mid(line.indexOf("  ") + 2));
            }
        }
        return lines.mid(lines.lastIndexOf(QStringLiteral("group_info")) + 1);
    }
};

// Where the selector must stand over a cell, in the page's coordinates (the grid's parent):
// 1 pixel inside the cell's top-left corner and 1 pixel larger each way.
QRect expectedPlace(const CorrectorsSession &s, int column, int row)
{
    const QRect cell = s.grid().visualRect(s.index(column, row));
    return QRect(s.grid().viewport()->mapTo(s.page, cell.topLeft()) + QPoint(1, 1),
                 cell.size() + QSize(1, 1));
}

} // namespace

class CorrectorsPageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::restoreOverrideCursor();
        // Every failure was handled where it happened, none crossed the toolkit.
        QCOMPARE(TavixApplication::lastResortCount(), 0);
    }

    void shouldPlaceSpeedSelectorOverSelectedCell_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text"); // put into the cell first; null: as read
        QTest::addColumn<int>("entry");
        QTest::newRow("X10 at 9600") << 1 << QString() << 0;
        QTest::newRow("X11 at 19200") << 3 << QString() << 1;
        QTest::newRow("an empty cell: no entry") << 2 << QStringLiteral("") << -1;
        QTest::newRow("a speed not offered: no entry") << 2 << QStringLiteral("4800") << -1;
    }

    void shouldPlaceSpeedSelectorOverSelectedCell()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(int, entry);
        CorrectorsSession s;
        s.connect();
        if (!text.isNull())
            s.model().setCell(C::SpeedColumn, row, text);
        s.click(C::SpeedColumn, row);

        CellSelector *selector = s.page->ComboBox5;
        QVERIFY(selector->isVisible());
        QCOMPARE(selector->parentWidget(), s.grid().parentWidget());
        QCOMPARE(selector->geometry(), expectedPlace(s, C::SpeedColumn, row));
        QCOMPARE(selector->currentIndex(), entry);
        QCOMPARE(QApplication::focusWidget(), selector);
        QVERIFY(!s.editor());
    }

    void shouldGiveOtherColumnsNoSelector_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("type") << int(C::TypeColumn);
        QTest::newRow("serial number") << int(C::SerialColumn);
        QTest::newRow("version") << int(C::VersionColumn);
        QTest::newRow("start date") << int(C::DateColumn);
        QTest::newRow("connector") << int(C::ConnectorColumn);
    }

    void shouldGiveOtherColumnsNoSelector()
    {
        QFETCH(int, column);
        CorrectorsSession s;
        s.connect();
        s.click(column, 1);
        QVERIFY(!s.page->ComboBox5->isVisible());
        QVERIFY(!s.editor());
    }

    void shouldWriteSpeedBackWhenSelectorCloses_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blue");
        QTest::newRow("chosen with the mouse") << 1 << false << "click" << 1 << "19200" << true;
        QTest::newRow("chosen with Enter") << 2 << false << "enter" << 0 << "9600" << true;
        QTest::newRow("the unit's own speed chosen again")
            << 1 << false << "enter" << 0 << "9600" << false;
        QTest::newRow("list closed with Escape") << 3 << false << "escape" << 0 << "19200" << false;
        QTest::newRow("empty cell, list closed without a choice")
            << 2 << true << "escape" << 0 << "" << true;
        QTest::newRow("empty cell, focus leaves without a choice")
            << 3 << true << "leave" << 0 << "" << true;
    }

    void shouldWriteSpeedBackWhenSelectorCloses()
    {
        QFETCH(int, row);
        QFETCH(bool, emptied);
        QFETCH(QString, how);
        QFETCH(int, choice);
        QFETCH(QString, text);
        QFETCH(bool, blue);
        CorrectorsSession s;
        s.connect();
        if (emptied)
            s.model().setCell(C::SpeedColumn, row, QString());
        s.click(C::SpeedColumn, row);
        CellSelector *selector = s.page->ComboBox5;
        QVERIFY(selector->isVisible());

        if (how == QLatin1String("leave")) {
            s.page->Button8->setFocus();
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
        QCOMPARE(s.cell(C::SpeedColumn, row), text);
        QCOMPARE(s.shownBlue(C::SpeedColumn, row), blue);
        if (how != QLatin1String("leave"))
            QCOMPARE(s.form->focusWidget(), &s.grid());
    }

    void shouldMoveThroughSpeedsFromKeyboard()
    {
        CorrectorsSession s;
        s.connect();
        s.click(C::VersionColumn, 1);
        QCOMPARE(QApplication::focusWidget(), &s.grid());
        QTest::keyClick(&s.grid(), Qt::Key_Right);
        CellSelector *selector = s.page->ComboBox5;
        QVERIFY(selector->isVisible());
        QCOMPARE(QApplication::focusWidget(), selector);
        // Down goes to the next row's speed without changing this one.
        QTest::keyClick(selector, Qt::Key_Down);
        QCOMPARE(s.grid().currentIndex(), s.index(C::SpeedColumn, 2));
        QCOMPARE(selector->geometry(), expectedPlace(s, C::SpeedColumn, 2));
        QCOMPARE(s.cell(C::SpeedColumn, 1), QStringLiteral("9600"));
        QCOMPARE(selector->currentText(), QStringLiteral("19200"));
        // Right leaves for the start date, which is typed.
        QTest::keyClick(selector, Qt::Key_Right);
        QVERIFY(!selector->isVisible());
        QCOMPARE(s.grid().currentIndex(), s.index(C::DateColumn, 2));
        QCOMPARE(QApplication::focusWidget(), &s.grid());
        // F4 opens the speed's list from the grid.
        QTest::keyClick(&s.grid(), Qt::Key_Left);
        QTest::keyClick(selector, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), &s.grid());
        QTest::keyClick(&s.grid(), Qt::Key_F4);
        QAbstractItemView *list = selector->view();
        QTRY_VERIFY(list->isVisible());
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(!selector->isVisible());
        QCOMPARE(s.cell(C::SpeedColumn, 2), QStringLiteral("9600"));
        QVERIFY(s.shownBlue(C::SpeedColumn, 2));
    }

    void shouldEditSerialsAndDatesAsAnyTable_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("value");
        const int serial = C::SerialColumn;
        const int date = C::DateColumn;
        const int enter = Qt::Key_Return;
        const int tab = Qt::Key_Tab;
        const int escape = Qt::Key_Escape;
        QTest::newRow("typing replaces a serial, Enter keeps")
            << serial << 1 << "555" << enter << "555";
        QTest::newRow("Escape gives the serial back") << serial << 1 << "555" << escape << "100234";
        QTest::newRow("leaving the serial keeps") << serial << 2 << "77" << tab << "77";
        QTest::newRow("a serial is free text") << serial << 3 << "A-1 x" << enter << "A-1 x";
        QTest::newRow("a date takes its digits")
            << date << 2 << "05032016070809" << enter << "05.03.2016, 07:08:09";
        QTest::newRow("letters never reach a date")
            << date << 1 << "1a2b03x2016" << enter << "12.03.2016,   :  :  ";
        QTest::newRow("half a date ends with Enter, blanks kept")
            << date << 1 << "0503" << enter << "05.03.    ,   :  :  ";
        QTest::newRow("half a date ends with Tab")
            << date << 2 << "31122025" << tab << "31.12.2025,   :  :  ";
        QTest::newRow("an empty date typed from its blank mask")
            << date << 3 << "01022027" << enter << "01.02.2027,   :  :  ";
        QTest::newRow("Escape gives the date back") << date << 1 << "0503" << escape << kDate1;
    }

    void shouldEditSerialsAndDatesAsAnyTable()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, keys);
        QFETCH(int, last);
        QFETCH(QString, value);
        CorrectorsSession s;
        s.connect();
        // The last row's date emptied: typed from a blank mask.
        s.model().setCell(C::DateColumn, 3, QString());
        s.typeInto(column, row, keys, Qt::Key(last));

        QCOMPARE(s.cell(column, row), value);
        QVERIFY(!s.editor());
        QVERIFY(!s.page->ComboBox5->isVisible());
    }

    void shouldStartEditingLikeAnyTable_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("double click") << "double click";
        QTest::newRow("F2") << "F2";
    }

    void shouldStartEditingLikeAnyTable()
    {
        QFETCH(QString, how);
        CorrectorsSession s;
        s.connect();
        if (how == QLatin1String("F2")) {
            s.click(C::DateColumn, 1);
            QTest::keyClick(&s.grid(), Qt::Key_F2);
        } else {
            const QPoint at = s.grid().visualRect(s.index(C::DateColumn, 1)).center();
            QTest::mouseClick(s.grid().viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(s.grid().viewport(), Qt::LeftButton, {}, at);
        }
        QLineEdit *line = s.editor();
        QVERIFY(line);
        QCOMPARE(line->inputMask(), QStringLiteral("99.99.9999, 99:99:99;_"));
        QCOMPARE(line->displayText(), kDate1);
        // The cursor at the start: the first digits typed replace the day.
        line->home(false);
        QTest::keyClicks(line, QStringLiteral("07"));
        QTest::keyClick(line, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!s.editor());
        QCOMPARE(s.cell(C::DateColumn, 1), QStringLiteral("07.10.2026, 00:00:00"));
        QVERIFY(s.shownBlue(C::DateColumn, 1));
    }

    void shouldKeepCellThatIsOnlyOpened_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("a date without its comma, as a parameter set may hold it")
            << int(C::DateColumn) << "01.10.2026 00:00:00";
        QTest::newRow("an empty date") << int(C::DateColumn) << "";
        QTest::newRow("a serial") << int(C::SerialColumn) << " 100234 ";
    }

    void shouldKeepCellThatIsOnlyOpened()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        CorrectorsSession s;
        s.connect();
        s.model().setCell(column, 1, text);
        s.click(column, 1);
        QTest::keyClick(&s.grid(), Qt::Key_F2);
        QLineEdit *line = s.editor();
        QVERIFY(line);
        QTest::keyClick(line, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!s.editor());
        QCOMPARE(s.cell(column, 1), text);
    }

    void shouldRefuseTypingInTypeAndVersion_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        for (const int column : {int(C::TypeColumn), int(C::VersionColumn)}) {
            const QString text = column == C::TypeColumn ? "GasCor-100" : "3.1";
            const QByteArray name = column == C::TypeColumn ? "type" : "version";
            QTest::newRow(name + ", typing") << column << "typing" << text;
            QTest::newRow(name + ", F2") << column << "F2" << text;
            QTest::newRow(name + ", double click") << column << "double click" << text;
        }
    }

    void shouldRefuseTypingInTypeAndVersion()
    {
        QFETCH(int, column);
        QFETCH(QString, how);
        QFETCH(QString, text);
        CorrectorsSession s;
        s.connect();
        QVERIFY(!(s.grid().model()->flags(s.index(column, 1)) & Qt::ItemIsEditable));
        s.click(column, 1);
        if (how == QLatin1String("typing")) {
            QTest::keyClicks(&s.grid(), QStringLiteral("99"));
        } else if (how == QLatin1String("F2")) {
            QTest::keyClick(&s.grid(), Qt::Key_F2);
        } else {
            QTest::mouseDClick(s.grid().viewport(), Qt::LeftButton, {},
                               s.grid().visualRect(s.index(column, 1)).center());
        }
        QVERIFY(!s.editor());
        QCOMPARE(s.cell(column, 1), text);
        QVERIFY(!s.page->ComboBox5->isVisible());
    }

    void shouldGiveMaskToStartDatesOnly_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("mask");
        for (int row = 1; row <= 3; ++row)
            QTest::addRow("start date of row %d", row)
                << int(C::DateColumn) << row << CorrectorsPage::kDateMask;
        QTest::newRow("serial number") << int(C::SerialColumn) << 1 << QString();
        QTest::newRow("heading") << int(C::DateColumn) << 0 << QString();
        QTest::newRow("speed") << int(C::SpeedColumn) << 2 << QString();
    }

    void shouldGiveMaskToStartDatesOnly()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, mask);
        CorrectorsSession s;
        s.connect();
        QCOMPARE(s.page->StringGrid2GetEditMask(column, row), mask);
        QCOMPARE(CorrectorsPage::kDateMask, QStringLiteral("00.00.0000, 00:00:00"));
    }

    void shouldShowChangedCellsInBlue()
    {
        CorrectorsSession s;
        s.connect();
        s.form->resize(700, 600);
        s.typeInto(C::SerialColumn, 1, QStringLiteral("100235"), Qt::Key_Return);
        s.typeInto(C::DateColumn, 2, QStringLiteral("15102026060000"), Qt::Key_Return);
        s.click(C::SpeedColumn, 3);
        s.page->ComboBox5->setCurrentIndex(0);
        // Moved away from the changed cells: none of them is drawn selected.
        s.click(C::TypeColumn, 3);
        QVERIFY(!s.page->ComboBox5->isVisible());

        QVERIFY(s.shownBlue(C::SerialColumn, 1));
        QVERIFY(s.shownBlue(C::SpeedColumn, 3));
        // The same text as the unit's (typed again): black.
        QVERIFY(!s.shownBlue(C::DateColumn, 2));
        QVERIFY(!s.shownBlue(C::SpeedColumn, 1));
        // A type written by detection has no baseline.
        s.model().setCell(C::TypeColumn, 2, QStringLiteral("Other"));
        QVERIFY(!s.shownBlue(C::TypeColumn, 2));

        // Blue text for the changed cells only, 2 px from the left and 4 px from the top.
        const QImage shot = s.grid().viewport()->grab().toImage();
        const auto bluePixels = [&](int column, int row) {
            const QRect cell = s.grid().visualRect(s.index(column, row));
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
        for (const auto &[column, row] :
             {std::pair{int(C::SerialColumn), 1}, std::pair{int(C::SpeedColumn), 3}}) {
            const auto [count, offset] = bluePixels(column, row);
            QVERIFY(count > 0);
            QVERIFY2(offset.x() >= 2 && offset.y() >= 4,
                     qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        }
        QCOMPARE(bluePixels(C::DateColumn, 2).first, 0);
        QCOMPARE(bluePixels(C::SpeedColumn, 1).first, 0);
        QCOMPARE(bluePixels(C::DateColumn, 1).first, 0);
    }

    void shouldReadChangeAndWriteWithPageButtons()
    {
        CorrectorsSession s;
        s.connect();
        // A serial number changed behind the page's back: the read brings the unit's back.
        s.model().setCell(C::SerialColumn, 1, QStringLiteral("1"));
        QTest::mouseClick(s.page->Button8, Qt::LeftButton);
        QCOMPARE(s.log().last(),
                 QStringLiteral("Считывание параметров соединения с корректорами завершено"));
        QCOMPARE(s.cell(C::SerialColumn, 1), QStringLiteral("100234"));
        QCOMPARE(s.cell(C::TypeColumn, 1), QStringLiteral("GasCor-100"));
        QCOMPARE(s.cell(C::DateColumn, 1), kDate1);
        QVERIFY(!s.shownBlue(C::SerialColumn, 1));
        QVERIFY(s.page->Button8->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());

        // X10's speed chosen, X15's start date typed.
        s.click(C::SpeedColumn, 1);
        QAbstractItemView *list = s.page->ComboBox5->view();
        s.page->ComboBox5->showPopup();
        QTRY_VERIFY(list->isVisible());
        list->setCurrentIndex(list->model()->index(1, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(!s.page->ComboBox5->isVisible());
        s.typeInto(C::DateColumn, 2, QStringLiteral("05032016070809"), Qt::Key_Return);
        QVERIFY(s.shownBlue(C::SpeedColumn, 1));
        QVERIFY(s.shownBlue(C::DateColumn, 2));

        const int before = int(s.log().size());
        const int sentBefore = int(s.sent().size());
        QTest::mouseClick(s.page->Button11, Qt::LeftButton);
        QCOMPARE(s.sent().mid(sentBefore),
                 (QStringList{"BrInt1=19200", "ReadArchive2=05.03.2016 07:08:09"}));
        QCOMPARE(s.log().mid(before),
                 (QStringList{"Перезапись параметров опроса корректоров...",
                              "Серийные номера корректоров пользователем не изменены",
                              "Перезапись [X10, скорость]: 9600 --> 19200",
                              "Перезапись [X15, нач. дата считывания]: 15.10.2026, 06:00:00 --> "
                              "05.03.2016, 07:08:09",
                              "Перезапись параметров опроса корректоров завершена."}));
        QVERIFY(!s.shownBlue(C::SpeedColumn, 1));
        QVERIFY(!s.shownBlue(C::DateColumn, 2));
        QVERIFY(s.page->Button11->isEnabled());
        QVERIFY(widget<QTabWidget>(*s.form, "PageControl1")->isEnabled());

        // Read again: the unit holds the new values.
        QTest::mouseClick(s.page->Button8, Qt::LeftButton);
        QCOMPARE(s.cell(C::SpeedColumn, 1), QStringLiteral("19200"));
        QCOMPARE(s.cell(C::DateColumn, 2), QStringLiteral("05.03.2016, 07:08:09"));
        QVERIFY(!s.shownBlue(C::SpeedColumn, 1));
        QVERIFY(!s.shownBlue(C::DateColumn, 2));
    }

    void shouldRefuseHalfTypedDateOnWrite()
    {
        CorrectorsSession s;
        s.connect();
        s.typeInto(C::DateColumn, 1, QStringLiteral("0503"), Qt::Key_Return);
        QCOMPARE(s.cell(C::DateColumn, 1), QStringLiteral("05.03.    ,   :  :  "));

        const int before = int(s.log().size());
        const int sentBefore = int(s.sent().size());
        QTest::mouseClick(s.page->Button11, Qt::LeftButton);
        QCOMPARE(s.sent().mid(sentBefore), QStringList());
        QVERIFY(s.log().mid(before).contains(
            QStringLiteral("X10: Некорректная начальная дата считывания архива!")));
        QVERIFY(s.shownBlue(C::DateColumn, 1));
    }

    void shouldOfferAutoDetectionOnlyOverModem_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("direct line") << "line" << false;
        QTest::newRow("GSM modem") << "gsm" << true;
    }

    void shouldOfferAutoDetectionOnlyOverModem()
    {
        QFETCH(QString, type);
        QFETCH(bool, enabled);
        CorrectorsSession s;
        s.connect(Session::quickOptions(type == QLatin1String("gsm")), type);
        QVERIFY(s.page->Button8->isEnabled());
        QVERIFY(s.page->Button11->isEnabled());
        QCOMPARE(s.page->Button16->isEnabled(), enabled);
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    CorrectorsPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_correctorspage.moc"
