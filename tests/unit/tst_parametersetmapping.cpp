// A page's prepared set and the page's model with no window: what a load puts into which cells
// (typed, the baselines untouched) comes back out of a store in the set's order, through the
// settings file as well, and a page without a set moves nothing.
#include "config/parametersets.h"
#include "config/profilefile.h"
#include "unit/parametersetmapping.h"
#include "unit/unitdata.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Snapshot::Page)

namespace {

QStringList someValues(int count)
{
    QStringList values;
    for (int i = 0; i < count; ++i)
        values << QStringLiteral("v%1").arg(i);
    return values;
}

} // namespace

class ParameterSetMappingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldStoreWhatWasLoaded_data()
    {
        QTest::addColumn<Snapshot::Page>("page");
        QTest::addColumn<int>("count");
        QTest::newRow("device parameters") << Snapshot::Page::Settings << 13;
        QTest::newRow("sensors") << Snapshot::Page::Sensors << 12;
        QTest::newRow("correctors") << Snapshot::Page::Correctors << 6;
    }

    void shouldStoreWhatWasLoaded()
    {
        QFETCH(Snapshot::Page, page);
        QFETCH(int, count);
        UnitData data;
        const QStringList values = someValues(count);
        ParameterSetMapping::load(page, data, values);
        QCOMPARE(ParameterSetMapping::store(page, data), values);
        // Typed, not read: the pages show the values changed.
        QCOMPARE(data.settings.baseline(0), QString());
        QCOMPARE(data.sensors.alarmBaseline(1), QString());
        QCOMPARE(data.correctors.speedBaseline(1), QString());

        QTemporaryDir dir;
        ProfileFile file(dir.filePath(QStringLiteral("TavixConfig.ini")));
        ParameterSetMapping::storeInFile(file, page, data);
        UnitData again;
        ParameterSetMapping::loadFromFile(file.contents(), page, again);
        QCOMPARE(ParameterSetMapping::store(page, again), values);
    }

    void shouldMoveNothingForPageWithoutSet()
    {
        UnitData data;
        ParameterSetMapping::load(Snapshot::Page::None, data, someValues(13));
        QVERIFY(ParameterSetMapping::store(Snapshot::Page::None, data).isEmpty());
        QCOMPARE(data.settings.value(0), QString());
        QVERIFY(!ParameterSetMapping::hasEmptyValue(Snapshot::Page::None, data));
    }

    void shouldFindEmptyRowOfDeviceParametersOnly()
    {
        UnitData data;
        QVERIFY(ParameterSetMapping::hasEmptyValue(Snapshot::Page::Settings, data));
        QVERIFY(!ParameterSetMapping::hasEmptyValue(Snapshot::Page::Sensors, data));
        for (int row = 0; row < SettingsRows::Count; ++row)
            data.settings.setValue(row, QStringLiteral("x"));
        QVERIFY(!ParameterSetMapping::hasEmptyValue(Snapshot::Page::Settings, data));
    }
};

QTEST_GUILESS_MAIN(ParameterSetMappingTest)
#include "tst_parametersetmapping.moc"
