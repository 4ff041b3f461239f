#include "app/tavixapplication.h"
#include "app/tform1.h"
#include "app/widgets/portselector.h"
#include "link/listcomports.h"
#include "simulator.h"
#include "support/filebytes.h"
#include "support/ptypair.h"
#include "support/recordingprompt.h"
#include "support/testclocks.h"
#include "support/widgetbyname.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A window whose port list is a real scan of one folder of links to pseudo-terminals, so
// ports come and go as the test makes and removes them.
struct LivePorts
{
    QTemporaryDir dir;
    RecordingPrompt prompt;
    std::unique_ptr<TForm1> form;
    std::vector<std::unique_ptr<PtyPair>> ptys;

    QString path(const QString &name) const { return dir.filePath(name); }

    void start(const QByteArray &storedPort = {})
    {
        writeBytes(path(QStringLiteral("TavixConfig.ini")),
                   "[GSMSET]\r\nSpeed=9600\r\nTypeConnect=line\r\n" +
                       (storedPort.isEmpty() ? QByteArray() : "NumbCom=" + storedPort + "\r\n"));
        StartOptions options;
        options.programDir = dir.path();
        options.arguments = {QStringLiteral("-pelnax")};
        const QString folder = dir.path();
        options.listPorts = [folder] {
            PortScanRoots roots;
            roots.sysClassTty = QStringLiteral("/nonexistent");
            roots.devDir = QStringLiteral("/nonexistent");
            roots.linkDirs = {folder};
            return listSerialPorts(roots);
        };
        options.clock = std::make_shared<ScaledClock>(10);
        form = std::make_unique<TForm1>(options);
        form->show();
    }

    // A new virtual port under the given name.
    void plugIn(const QString &name)
    {
        ptys.push_back(std::make_unique<PtyPair>());
        QVERIFY(QFile::link(ptys.back()->slavePath(), path(name)));
    }

    void unplug(const QString &name) { QVERIFY(QFile::remove(path(name))); }

    // What the list shows when the operator opens it.
    QStringList opened()
    {
        widget<PortSelector>(*form, "CmbComNum")->showPopup();
        const QStringList ports = widget<PortSelector>(*form, "CmbComNum")->ports();
        widget<PortSelector>(*form, "CmbComNum")->hidePopup();
        return ports;
    }
};

} // namespace

class PortListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QApplication::restoreOverrideCursor(); }

    void shouldShowPortsThatCameAndWentWhenOpened()
    {
        LivePorts w;
        w.start();
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->count(), 0);
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentIndex(), -1);

        w.plugIn(QStringLiteral("ttyB"));
        QCOMPARE(w.opened(), QStringList{w.path(QStringLiteral("ttyB"))});
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(),
                 w.path(QStringLiteral("ttyB")));

        // A port that sorts first does not take the choice away.
        w.plugIn(QStringLiteral("ttyA"));
        QCOMPARE(w.opened(),
                 (QStringList{w.path(QStringLiteral("ttyA")), w.path(QStringLiteral("ttyB"))}));
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(),
                 w.path(QStringLiteral("ttyB")));

        w.unplug(QStringLiteral("ttyB"));
        QCOMPARE(w.opened(), QStringList{w.path(QStringLiteral("ttyA"))});
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(),
                 w.path(QStringLiteral("ttyA")));
    }

    // An adapter pulled out and plugged in again (a loose cable) takes the choice back: the
    // port that stood in for it was never the operator's choice, and Connect must not go to it.
    void shouldChooseWantedPortAgainWhenItComesBack()
    {
        LivePorts w;
        w.plugIn(QStringLiteral("ttyA"));
        w.plugIn(QStringLiteral("ttyB"));
        w.start(QFile::encodeName(w.path(QStringLiteral("ttyB"))));
        const QString wanted = w.path(QStringLiteral("ttyB"));
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(), wanted);

        w.unplug(QStringLiteral("ttyB"));
        QCOMPARE(w.opened(), QStringList{w.path(QStringLiteral("ttyA"))});
        QVERIFY(QFile::link(w.ptys.back()->slavePath(), wanted));
        QCOMPARE(w.opened(), (QStringList{w.path(QStringLiteral("ttyA")), wanted}));
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(), wanted);
    }

    // The operator's own pick is the wanted port from then on, like a port connected to.
    void shouldKeepOperatorsPickAcrossStandIn()
    {
        LivePorts w;
        w.plugIn(QStringLiteral("ttyA"));
        w.plugIn(QStringLiteral("ttyB"));
        w.plugIn(QStringLiteral("ttyC"));
        w.start(QFile::encodeName(w.path(QStringLiteral("ttyA"))));
        const QString picked = w.path(QStringLiteral("ttyC"));
        QTest::keyClick(widget<PortSelector>(*w.form, "CmbComNum"), Qt::Key_End);
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(), picked);

        w.unplug(QStringLiteral("ttyC"));
        w.opened();
        QVERIFY(widget<PortSelector>(*w.form, "CmbComNum")->currentText() != picked);
        QVERIFY(QFile::link(w.ptys.back()->slavePath(), picked));
        w.opened();
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(), picked);
    }

    void shouldShowFullPathAndDeviceInToolTips()
    {
        LivePorts w;
        const QString name = QStringLiteral("ttyWithAVeryLongNameThatTheBoxCannotShow");
        w.start();
        w.plugIn(name);
        widget<PortSelector>(*w.form, "CmbComNum")->showPopup();
        const QString full = w.path(name);
        QVERIFY(widget<PortSelector>(*w.form, "CmbComNum")->toolTip().startsWith(full + u'\n'));
        const QString entryTip =
            widget<PortSelector>(*w.form, "CmbComNum")->itemData(0, Qt::ToolTipRole).toString();
        QCOMPARE(entryTip, full + QStringLiteral("\nВиртуальный порт: псевдотерминал ") +
                               w.ptys.back()->slavePath());
        // The open list is wide enough for the whole path, though the box is not.
        const QAbstractItemView *view = widget<PortSelector>(*w.form, "CmbComNum")->view();
        QVERIFY(view->width() > view->fontMetrics().horizontalAdvance(full));
        QVERIFY(widget<PortSelector>(*w.form, "CmbComNum")->width() <
                view->fontMetrics().horizontalAdvance(full));
        widget<PortSelector>(*w.form, "CmbComNum")->hidePopup();
    }

    void shouldKeepPortChosenWhileConnectionRunsThroughIt()
    {
        LivePorts w;
        SimOptions options;
        options.link = w.path(QStringLiteral("ttySim"));
        options.unitOptions.stepMs = 30;
        Simulator sim(options);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        w.start();
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(), options.link);
        QTest::mouseClick(widget<QPushButton>(*w.form, "Button12"), Qt::LeftButton);
        QVERIFY(w.form->portConnected());

        // The link goes (the program that made it removed it); the open port still works.
        w.unplug(QStringLiteral("ttySim"));
        w.plugIn(QStringLiteral("ttyOther"));
        QCOMPARE(w.opened(), (QStringList{w.path(QStringLiteral("ttyOther")), options.link}));
        QCOMPARE(widget<PortSelector>(*w.form, "CmbComNum")->currentText(), options.link);

        // Once disconnected, the next scan lets the vanished port go.
        QTest::mouseClick(widget<QPushButton>(*w.form, "Button14"), Qt::LeftButton);
        QVERIFY(!w.form->portConnected());
        QCOMPARE(w.opened(), QStringList{w.path(QStringLiteral("ttyOther"))});
    }
};

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    PortListTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_portlist.moc"
