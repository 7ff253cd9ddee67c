// Reloading the wells of the host project tree after an import: wells that
// arrive in new well sets must be real items of the model (valid indexes with
// their roles), not only children of detached items.

#include "testenvironment.h"
#include "zrlogdatabase.h"
#include "zrproject.h"
#include "zrprojectbrowsermodel.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QtTest>

#include <memory>

class TestProjectBrowserWellReload : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void wellsInNewSetsAfterReload_data();
    void wellsInNewSetsAfterReload();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestProjectBrowserWellReload::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestProjectBrowserWellReload::wellsInNewSetsAfterReload_data()
{
    QTest::addColumn<int>("setsBefore");
    QTest::addColumn<int>("newSets");
    QTest::newRow("first sets of an empty category") << 0 << 2;
    QTest::newRow("new sets beside a loose well") << -1 << 3;
    QTest::newRow("a new set after existing ones") << 1 << 1;
}

void TestProjectBrowserWellReload::wellsInNewSetsAfterReload()
{
    QFETCH(int, setsBefore);
    QFETCH(int, newSets);
    const QString parent = m_environment->makeFolder(QStringLiteral("host"));
    QString error;
    QVERIFY2(ZRProject::createEmptyProject(parent, QStringLiteral("P"), &error), qPrintable(error));
    ZRProject project(QDir(parent).filePath(QStringLiteral("P")));
    QVERIFY(QDir().mkpath(project.wellDatabasePath()));
    ZRLogDatabase database;
    QVERIFY(database.createEmptyDatabase(project.wellDatabasePath()));
    if (setsBefore < 0) {
        QVERIFY(database.CreateWell(QStringLiteral("loose")));
    }
    for (int s = 0; s < setsBefore; ++s)
        database.addWellToWellSet(database.CreateWell(QStringLiteral("old %1").arg(s)),
                                  database.wellSet(QStringLiteral("Old %1").arg(s)));

    ZRProjectBrowserModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setWellDatabase(&database);
    model.setProject(project);

    QStringList expected;
    for (int s = 0; s < newSets; ++s) {
        for (int w = 0; w < 2; ++w) {
            const QString name = QStringLiteral("new %1-%2").arg(s).arg(w);
            ZRWell* well = database.CreateWell(name);
            database.addWellToWellSet(well, database.wellSet(QStringLiteral("New %1").arg(s)));
            expected.append(name);
        }
    }
    model.reloadObjectType(ZRProject::WellDatabaseType);

    QStringList listed;
    for (const QModelIndex& item : model.itemsOfCategory(QStringLiteral("Well"))) {
        QVERIFY(item.isValid());
        QCOMPARE(item.model(), &model);
        if (item.data(ZRProjectBrowserModel::WellItemTypeRole).toInt() != ZRProjectBrowserModel::WellItem)
            continue;
        listed.append(item.data(Qt::DisplayRole).toString());
        const ZRWell* well = database.findWell(item.data(ZRProjectBrowserModel::IdRole).toInt());
        QVERIFY(well);
        QCOMPARE(well->name(), item.data(Qt::DisplayRole).toString());
        QCOMPARE(item.data(ZRProjectBrowserModel::ItemKindRole).toInt(), int(ZRProjectBrowserModel::WellDatabaseItem));
    }
    for (const QString& name : expected)
        QVERIFY2(listed.contains(name), qPrintable(listed.join(QStringLiteral(", "))));
    QCOMPARE(listed.size(), database.wells().size());
}

QTEST_MAIN(TestProjectBrowserWellReload)
#include "tst_projectbrowserwellreload.moc"
