#include "testenvironment.h"

#include "zrlogdatabase.h"
#include "zrobjectheader.h"
#include "zrobjectserialization.h"
#include "zrproject.h"
#include "zrprojectbrowsereditor.h"
#include "zrprojectbrowsereditorstacked.h"
#include "zrprojectbrowsermodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTreeView>
#include <QtEndian>

#include <memory>

namespace
{
constexpr int kKind = 513;
constexpr int kType = 514;
constexpr int kWellType = 515;
constexpr int kPath = 516;
constexpr int kId = 517;
const QString kMime = QStringLiteral("application/velostrat.projectbrowseritemdatalist");

/// A stored object with a minimal element, enough for a real header container.
class HeaderObject : public ZRObjectSerialization
{
public:
    explicit HeaderObject(QString type) : m_type(std::move(type)) {}
    QDomElement toXml(QDomDocument& document) const override
    {
        QDomElement element = document.createElement(m_type);
        element.setAttribute(QStringLiteral("value"), QStringLiteral("test"));
        return element;
    }
    QString typeName() const override { return m_type; }

private:
    QString m_type;
};

/// Reads the drag payload from its documented byte layout, without QDataStream:
/// big-endian int32 item count; per item an int32 entry count and that many
/// (int32 role, variant) pairs, a variant being uint32 type id, uint8 null flag
/// and the value (type 2 int: int32; type 10 string: uint32 byte length or
/// 0xFFFFFFFF, then UTF-16 big-endian).
class PayloadReader
{
public:
    explicit PayloadReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    bool read(QList<QMap<int, QVariant>>& items)
    {
        qint32 count = 0;
        if (!readInt(count) || count < 0)
            return false;
        for (qint32 i = 0; i < count; ++i) {
            qint32 entries = 0;
            if (!readInt(entries) || entries < 0)
                return false;
            QMap<int, QVariant> map;
            for (qint32 e = 0; e < entries; ++e) {
                qint32 role = 0;
                QVariant value;
                if (!readInt(role) || !readVariant(value) || map.contains(role))
                    return false;
                map.insert(role, value);
            }
            items.append(map);
        }
        return m_offset == m_bytes.size();
    }

private:
    bool readRaw(int size, const char*& data)
    {
        if (m_offset + size > m_bytes.size())
            return false;
        data = m_bytes.constData() + m_offset;
        m_offset += size;
        return true;
    }
    bool readInt(qint32& value)
    {
        const char* data = nullptr;
        if (!readRaw(4, data))
            return false;
        value = qFromBigEndian<qint32>(data);
        return true;
    }
    bool readVariant(QVariant& value)
    {
        qint32 type = 0;
        const char* flag = nullptr;
        if (!readInt(type) || !readRaw(1, flag) || *flag != 0)
            return false;
        if (type == 2) {
            qint32 number = 0;
            if (!readInt(number))
                return false;
            value = number;
            return true;
        }
        if (type == 10) {
            qint32 length = 0;
            if (!readInt(length))
                return false;
            if (quint32(length) == 0xFFFFFFFFu) {
                value = QString();
                return true;
            }
            const char* data = nullptr;
            if (length % 2 != 0 || !readRaw(length, data))
                return false;
            QString text;
            for (int i = 0; i < length; i += 2)
                text.append(QChar(qFromBigEndian<quint16>(data + i)));
            value = text;
            return true;
        }
        return false;
    }

    QByteArray m_bytes;
    int m_offset = 0;
};

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

bool writeObjectFile(const QString& path, const QString& type)
{
    const HeaderObject object(type);
    return ZRObjectHeader::writeObjectHeader(path, QList<const ZRObjectSerialization*>{&object}, 16);
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QModelIndex childNamed(const QAbstractItemModel& model, const QModelIndex& parent, const QString& text)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        if (index.data().toString() == text)
            return index;
    }
    return QModelIndex();
}

QStringList childTexts(const QAbstractItemModel& model, const QModelIndex& parent)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts.append(model.index(row, 0, parent).data().toString());
    return texts;
}

QStringList pathsOf(const QModelIndexList& indexes)
{
    QStringList paths;
    for (const QModelIndex& index : indexes)
        paths.append(index.data(kPath).toString());
    return paths;
}
} // namespace

class TestProjectBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void categoriesAndFileItems_data();
    void categoriesAndFileItems();
    void wellItems();
    void modelConsistency();
    void dragData();
    void currentCategory();
    void categoryTable();
    void folderReload();
    void wellReload();
    void projectSwitch();
    void volumesOnly();
    void selectionInTreeOrder();
    void treeDisplayMode();
    void stackedDisplayMode();
    void displayModeFactory_data();
    void displayModeFactory();
    void modelDeletedBeforeWidgets();

private:
    std::unique_ptr<TestEnvironment> m_environment;
    QString m_projectPath;
    std::unique_ptr<ZRProject> m_project;
    std::unique_ptr<ZRLogDatabase> m_database;
    std::unique_ptr<ZRProjectBrowserModel> m_model;
    int m_wellIds[4] = {};
    int m_northId = 0;
    int m_southId = 0;
};

void TestProjectBrowser::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());

    const QString parent = m_environment->makeFolder(QStringLiteral("projects"));
    QString error;
    QVERIFY2(ZRProject::createEmptyProject(parent, QStringLiteral("Demo"), &error), qPrintable(error));
    m_projectPath = parent + QStringLiteral("/Demo");
    ZRProject::LoadStatus status = ZRProject::LoadStatus::NotLoaded;
    m_project = ZRProject::open(m_projectPath, &status);
    QCOMPARE(status, ZRProject::LoadStatus::Loaded);

    // Volumes in two folders (type 36 lies inside type 1's folder), horizons, faults.
    QVERIFY(writeObjectFile(m_project->directoryForType(1) + "/Seismic3D", "ZRSeismicBloc"));
    QVERIFY(writeObjectFile(m_project->directoryForType(1) + "/amplitude", "ZRSeismicBloc"));
    QVERIFY(writeObjectFile(m_project->directoryForType(36) + "/RMS", "ZRSeismicBloc"));
    QVERIFY(writeObjectFile(m_project->directoryForType(29) + "/Top_Chalk", "ZR3DHorizon"));
    QVERIFY(writeObjectFile(m_project->directoryForType(29) + "/base_reservoir", "ZR3DHorizon"));
    QVERIFY(writeFile(m_project->directoryForType(28) + "/F1", QByteArray("fault sticks")));
    QVERIFY(writeFile(m_project->directoryForType(28) + "/.lock", QByteArray("hidden")));

    // Well database: W1 in North, W2 in North and South, w3 and W4 in no set.
    const QString wellFolder = m_project->wellDatabasePath();
    {
        ZRLogDatabase writer;
        QVERIFY(writer.createEmptyDatabase(wellFolder));
        ZRWell* w1 = writer.CreateWell(QStringLiteral("W1"));
        ZRWell* w2 = writer.CreateWell(QStringLiteral("W2"));
        ZRWell* w3 = writer.CreateWell(QStringLiteral("w3"));
        ZRWell* w4 = writer.CreateWell(QStringLiteral("W4"));
        QVERIFY(w1 && w2 && w3 && w4);
        ZRWellSet* north = writer.wellSet(QStringLiteral("North"));
        ZRWellSet* south = writer.wellSet(QStringLiteral("South"));
        writer.addWellToWellSet(w2, north);
        writer.addWellToWellSet(w1, north);
        writer.addWellToWellSet(w2, south);
        QVERIFY(writer.save());
    }
    m_database = std::make_unique<ZRLogDatabase>();
    QVERIFY(m_database->load(wellFolder, QStringLiteral("tst_projectbrowser"), m_project->projectName(), true));
    const QStringList names = {QStringLiteral("W1"), QStringLiteral("W2"), QStringLiteral("w3"), QStringLiteral("W4")};
    for (int i = 0; i < 4; ++i) {
        QVERIFY(m_database->findWell(names.at(i)));
        m_wellIds[i] = m_database->findWell(names.at(i))->id();
    }
    for (const ZRWellSet* set : m_database->wellSets())
        (set->name() == QStringLiteral("North") ? m_northId : m_southId) = set->id();
    QVERIFY(m_northId != 0 && m_southId != 0);
}

void TestProjectBrowser::init()
{
    m_model = std::make_unique<ZRProjectBrowserModel>();
    m_model->setFlag(1);
    m_model->setWellDatabase(m_database.get());
    m_model->setProject(*m_project);
    m_model->setCategoryTable(ZRProjectBrowserModel::defaultCategoryTable());
}

void TestProjectBrowser::cleanup()
{
    m_model.reset();
}

void TestProjectBrowser::categoriesAndFileItems_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QStringList>("paths");

    QTest::newRow("volumes of types 1 and 36, no sub-folder")
        << "Volume" << QStringList{"amplitude", "Seismic3D", "RMS"} << QList<int>{1, 1, 36}
        << QStringList{"Seismic/amplitude", "Seismic/Seismic3D", "Seismic/Attributes/RMS"};
    QTest::newRow("faults without hidden files") << "Fault" << QStringList{"F1"} << QList<int>{28}
                                                 << QStringList{"Interpretation/Faults/F1"};
    QTest::newRow("horizons sorted case-insensitively")
        << "Horizon" << QStringList{"base_reservoir", "Top_Chalk"} << QList<int>{29, 29}
        << QStringList{"Interpretation/Horizons/base_reservoir", "Interpretation/Horizons/Top_Chalk"};
}

void TestProjectBrowser::categoriesAndFileItems()
{
    QFETCH(QString, category);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, types);
    QFETCH(QStringList, paths);

    QCOMPARE(childTexts(*m_model, QModelIndex()), (QStringList{"Volume", "Fault", "Horizon", "Well"}));
    const QModelIndex categoryIndex = m_model->categoryIndex(category);
    QVERIFY(categoryIndex.isValid());
    QCOMPARE(categoryIndex.data(kKind).toInt(), 1);
    QCOMPARE(categoryIndex.data(kType).toInt(), -1);
    QVERIFY(!(m_model->flags(categoryIndex) & Qt::ItemIsDragEnabled));

    QCOMPARE(childTexts(*m_model, categoryIndex), texts);
    for (int row = 0; row < texts.size(); ++row) {
        const QModelIndex index = m_model->index(row, 0, categoryIndex);
        QCOMPARE(index.data(kKind).toInt(), 3);
        QCOMPARE(index.data(kType).toInt(), types.at(row));
        QCOMPARE(index.data(kWellType).toInt(), 0);
        QCOMPARE(index.data(kPath).toString(), native(m_projectPath + "/" + paths.at(row)));
        QCOMPARE(index.data(kId).toInt(), -1);
        QCOMPARE(m_model->rowCount(index), 0);
        QVERIFY(m_model->flags(index) & Qt::ItemIsDragEnabled);
        QVERIFY(m_model->flags(index) & Qt::ItemIsSelectable);
        QVERIFY(!(m_model->flags(index) & Qt::ItemIsEditable));
    }
}

void TestProjectBrowser::wellItems()
{
    const QModelIndex wells = m_model->categoryIndex("Well");
    QCOMPARE(childTexts(*m_model, wells), (QStringList{"North", "South", "w3", "W4"}));
    const QString databaseFile = native(ZRLogDatabase::databaseFileName(m_project->wellDatabasePath()));

    struct Expected
    {
        QString parent;
        QString text;
        int wellType;
        int id;
    };
    const QVector<Expected> expected = {
        {"", "North", 6, m_northId}, {"", "South", 6, m_southId},     {"", "w3", 1, m_wellIds[2]},
        {"", "W4", 1, m_wellIds[3]}, {"North", "W1", 1, m_wellIds[0]}, {"North", "W2", 1, m_wellIds[1]},
        {"South", "W2", 1, m_wellIds[1]}};
    for (const Expected& item : expected) {
        const QModelIndex parent = item.parent.isEmpty() ? wells : childNamed(*m_model, wells, item.parent);
        const QModelIndex index = childNamed(*m_model, parent, item.text);
        QVERIFY2(index.isValid(), qPrintable(item.parent + "/" + item.text));
        QCOMPARE(index.data(kKind).toInt(), 4);
        QCOMPARE(index.data(kType).toInt(), 33);
        QCOMPARE(index.data(kWellType).toInt(), item.wellType);
        QCOMPARE(index.data(kId).toInt(), item.id);
        QCOMPARE(index.data(kPath).toString(), databaseFile);
        // The parent index of a well in a set leads to the set.
        if (!item.parent.isEmpty()) {
            QCOMPARE(index.parent().data(kWellType).toInt(), 6);
            QCOMPARE(index.parent().data(kId).toInt(), item.parent == "North" ? m_northId : m_southId);
        }
    }
    QCOMPARE(m_model->rowCount(childNamed(*m_model, wells, "North")), 2);
    QCOMPARE(m_model->rowCount(childNamed(*m_model, wells, "South")), 1);

    ZRProjectBrowserModel withoutDatabase;
    withoutDatabase.setProject(*m_project);
    QCOMPARE(withoutDatabase.rowCount(withoutDatabase.categoryIndex("Well")), 0);
    QCOMPARE(withoutDatabase.rowCount(withoutDatabase.categoryIndex("Horizon")), 2);
}

void TestProjectBrowser::modelConsistency()
{
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QString extra = m_project->directoryForType(29) + "/Middle";
    QVERIFY(writeObjectFile(extra, "ZR3DHorizon"));
    m_model->reloadObjectType(29);
    QVERIFY(QFile::remove(extra));
    m_model->reload();
    m_model->setVolumesOnly(true);
    m_model->setVolumesOnly(false);
    m_model->setCategoryTable({{"Horizon", {29}}, {"Well", {33}}});
    m_model->setWellDatabase(nullptr);
    m_model->setWellDatabase(m_database.get());
    m_model->setCategoryTable(ZRProjectBrowserModel::defaultCategoryTable());
    QCOMPARE(m_model->rowCount(), 4);
}

void TestProjectBrowser::dragData()
{
    QCOMPARE(m_model->mimeTypes(), QStringList{kMime});

    const QModelIndex horizon = childNamed(*m_model, m_model->categoryIndex("Horizon"), "Top_Chalk");
    const QModelIndex wells = m_model->categoryIndex("Well");
    const QModelIndex north = childNamed(*m_model, wells, "North");
    const QModelIndex w2 = childNamed(*m_model, north, "W2");
    QVERIFY(horizon.isValid() && north.isValid() && w2.isValid());

    // The category item and a repeated index are not dragged.
    const std::unique_ptr<QMimeData> mime(
        m_model->mimeData({horizon, m_model->categoryIndex("Volume"), north, w2, horizon}));
    QVERIFY(mime);
    QVERIFY(mime->hasFormat(kMime));

    QList<QMap<int, QVariant>> items;
    QVERIFY(PayloadReader(mime->data(kMime)).read(items));
    QCOMPARE(items.size(), 3);

    struct Expected
    {
        int kind;
        int type;
        int wellType;
        QString path;
        int id;
        QString name;
    };
    const QString databaseFile = native(ZRLogDatabase::databaseFileName(m_project->wellDatabasePath()));
    const QVector<Expected> expected = {
        {3, 29, 0, native(m_projectPath + "/Interpretation/Horizons/Top_Chalk"), -1, "Top_Chalk"},
        {4, 33, 6, databaseFile, m_northId, "North"},
        {4, 33, 1, databaseFile, m_wellIds[1], "W2"}};
    for (int i = 0; i < expected.size(); ++i) {
        const QMap<int, QVariant>& item = items.at(i);
        QCOMPARE(item.value(kKind).toInt(), expected[i].kind);
        QCOMPARE(item.value(kType).toInt(), expected[i].type);
        QCOMPARE(item.value(kWellType).toInt(), expected[i].wellType);
        QCOMPARE(item.value(kPath).toString(), expected[i].path);
        QCOMPARE(item.value(kId).toInt(), expected[i].id);
        QCOMPARE(item.value(Qt::DisplayRole).toString(), expected[i].name);
    }

    // The model's own decoder agrees, and nothing is produced for categories alone.
    const QList<QMap<int, QVariant>> decoded = ZRProjectBrowserModel::decodeItemDataList(mime.get());
    QCOMPARE(decoded.size(), 3);
    QCOMPARE(decoded.at(1).value(kId).toInt(), m_northId);
    QVERIFY(!std::unique_ptr<QMimeData>(m_model->mimeData({m_model->categoryIndex("Fault")})));
    QMimeData corrupt;
    corrupt.setData(kMime, QByteArray("\x00\x00\x00\x05", 4));
    QVERIFY(ZRProjectBrowserModel::decodeItemDataList(&corrupt).isEmpty());
}

void TestProjectBrowser::currentCategory()
{
    QSignalSpy spy(m_model.get(), &ZRProjectBrowserModel::categoryChanged);
    QCOMPARE(m_model->currentCategory(), QStringLiteral("Volume"));

    m_model->setCurrentCategory("Horizon");
    m_model->setCurrentCategory("Horizon");
    m_model->setCurrentCategory("Surface Picks");
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Horizon"));
    QCOMPARE(m_model->currentCategory(), QStringLiteral("Horizon"));
    QCOMPARE(m_model->selectionModel()->currentIndex(), m_model->categoryIndex("Horizon"));

    // The user moving to an item of another category changes it too.
    const QModelIndex w1 = childNamed(*m_model, childNamed(*m_model, m_model->categoryIndex("Well"), "North"), "W1");
    m_model->selectionModel()->setCurrentIndex(w1, QItemSelectionModel::ClearAndSelect);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("Well"));
    // Setting the category it already has keeps the user's current item.
    m_model->setCurrentCategory("Well");
    QCOMPARE(m_model->selectionModel()->currentIndex(), w1);

    m_model->setCurrentObjectType(28);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(m_model->currentCategory(), QStringLiteral("Fault"));
    QCOMPARE(m_model->selection().size(), 1); // the selection is kept
    m_model->setCurrentObjectType(36);
    QCOMPARE(m_model->currentCategory(), QStringLiteral("Volume"));
    QCOMPARE(m_model->categoryOfObjectType(104), QStringLiteral("Well"));
    QCOMPARE(m_model->categoryOfObjectType(25), QString());
}

void TestProjectBrowser::categoryTable()
{
    m_model->setCurrentCategory("Fault");
    QSignalSpy tableSpy(m_model.get(), &ZRProjectBrowserModel::categoryTableChanged);
    QSignalSpy categorySpy(m_model.get(), &ZRProjectBrowserModel::categoryChanged);
    const QPersistentModelIndex horizons = m_model->categoryIndex("Horizon");

    // Same names: no table change and the category items stay.
    m_model->setCategoryTable(ZRProjectBrowserModel::defaultCategoryTable());
    QCOMPARE(tableSpy.count(), 0);
    QVERIFY(horizons.isValid());

    // The current category is dropped: the first remaining one becomes current.
    m_model->setCategoryTable({{"Horizon", {29}}, {"Everything", {1, 28, 29}}, {"Horizon", {28}}});
    QCOMPARE(tableSpy.count(), 1);
    QCOMPARE(m_model->categoryNames(), (QStringList{"Horizon", "Everything"}));
    QCOMPARE(categorySpy.count(), 1);
    QCOMPARE(m_model->currentCategory(), QStringLiteral("Horizon"));
    QVERIFY(horizons.isValid());
    QCOMPARE(childTexts(*m_model, m_model->categoryIndex("Horizon")), (QStringList{"base_reservoir", "Top_Chalk"}));
    QCOMPARE(childTexts(*m_model, m_model->categoryIndex("Everything")),
             (QStringList{"amplitude", "Seismic3D", "F1", "base_reservoir", "Top_Chalk"}));
    QCOMPARE(m_model->categoryOfObjectType(28), QStringLiteral("Everything"));
}

void TestProjectBrowser::folderReload()
{
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QModelIndex horizons = m_model->categoryIndex("Horizon");
    const QPersistentModelIndex top = childNamed(*m_model, horizons, "Top_Chalk");
    m_model->selectionModel()->select(top, QItemSelectionModel::Select);

    const QString newFile = m_project->directoryForType(29) + "/Middle";
    QVERIFY(writeObjectFile(newFile, "ZR3DHorizon"));
    QCOMPARE(childTexts(*m_model, horizons), (QStringList{"base_reservoir", "Top_Chalk"}));

    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    m_model->reloadObjectType(1); // another folder: nothing changes
    QCOMPARE(inserted.count() + removed.count(), 0);

    m_model->reloadObjectType(29);
    QCOMPARE(childTexts(*m_model, horizons), (QStringList{"base_reservoir", "Middle", "Top_Chalk"}));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    QCOMPARE(inserted.at(0).at(2).toInt(), 1);
    QCOMPARE(removed.count(), 0);
    // The existing item kept its index and its selection.
    QVERIFY(top.isValid());
    QCOMPARE(top.data().toString(), QStringLiteral("Top_Chalk"));
    QCOMPARE(pathsOf(m_model->selection()), QStringList{top.data(kPath).toString()});

    QVERIFY(QFile::remove(newFile));
    m_model->reloadObjectType(29);
    QCOMPARE(childTexts(*m_model, horizons), (QStringList{"base_reservoir", "Top_Chalk"}));
    QCOMPARE(removed.count(), 1);
    QVERIFY(top.isValid());
}

void TestProjectBrowser::wellReload()
{
    const QModelIndex wells = m_model->categoryIndex("Well");
    ZRWell* added = m_database->CreateWell(QStringLiteral("A-0"));
    QVERIFY(added);
    ZRWellSet* south = m_database->findWellSet(m_southId);
    m_database->addWellToWellSet(added, south);
    m_model->reloadObjectType(33);
    const QModelIndex southIndex = childNamed(*m_model, wells, "South");
    QCOMPARE(childTexts(*m_model, southIndex), (QStringList{"A-0", "W2"}));
    QCOMPARE(childNamed(*m_model, southIndex, "A-0").data(kId).toInt(), added->id());
    QCOMPARE(childTexts(*m_model, wells), (QStringList{"North", "South", "w3", "W4"}));

    QVERIFY(m_database->removeWell(added->id()));
    m_model->reloadObjectType(33);
    QCOMPARE(childTexts(*m_model, childNamed(*m_model, wells, "South")), QStringList{"W2"});

    // A renamed well moves to its new place under the same id.
    ZRWell* w4 = m_database->findWell(m_wellIds[3]);
    w4->setName(QStringLiteral("A4"));
    m_model->reloadObjectType(33);
    w4->setName(QStringLiteral("W4"));
    QCOMPARE(childTexts(*m_model, wells), (QStringList{"North", "South", "A4", "w3"}));
    QCOMPARE(childNamed(*m_model, wells, "A4").data(kId).toInt(), m_wellIds[3]);
    m_model->reloadObjectType(33);
    QCOMPARE(childTexts(*m_model, wells), (QStringList{"North", "South", "w3", "W4"}));
}

void TestProjectBrowser::projectSwitch()
{
    const QString parent = m_environment->makeFolder(QStringLiteral("second"));
    QVERIFY(ZRProject::createEmptyProject(parent, QStringLiteral("Other")));
    std::unique_ptr<ZRProject> other = ZRProject::open(parent + "/Other");
    QVERIFY(writeObjectFile(other->directoryForType(29) + "/OtherHorizon", "ZR3DHorizon"));

    const QPersistentModelIndex horizons = m_model->categoryIndex("Horizon");
    ZRLogDatabase emptyDatabase;
    m_model->setWellDatabase(&emptyDatabase);
    m_model->setProject(*other);
    other.reset(); // the model keeps its own copy
    QVERIFY(horizons.isValid());
    QCOMPARE(childTexts(*m_model, horizons), QStringList{"OtherHorizon"});
    QCOMPARE(m_model->rowCount(m_model->categoryIndex("Volume")), 0);
    QCOMPARE(m_model->rowCount(m_model->categoryIndex("Well")), 0);
    QVERIFY(m_model->project().projectPath().endsWith("Other"));
    m_model->reload();
    QCOMPARE(childTexts(*m_model, horizons), QStringList{"OtherHorizon"});
    m_model->setWellDatabase(m_database.get());
}

void TestProjectBrowser::volumesOnly()
{
    ZRProjectBrowserModel volumes;
    QAbstractItemModelTester tester(&volumes, QAbstractItemModelTester::FailureReportingMode::QtTest);
    volumes.setVolumesOnly(true);
    volumes.setWellDatabase(m_database.get());
    volumes.setProject(*m_project);
    QCOMPARE(volumes.categoryNames(), QStringList{"Volume"});
    QCOMPARE(volumes.rowCount(), 1);
    QCOMPARE(volumes.currentCategory(), QStringLiteral("Volume"));
    volumes.setCurrentCategory("Horizon");
    QCOMPARE(volumes.currentCategory(), QStringLiteral("Volume"));

    const QStringList expected = {native(m_projectPath + "/Seismic/amplitude"),
                                  native(m_projectPath + "/Seismic/Seismic3D"),
                                  native(m_projectPath + "/Seismic/Attributes/RMS")};
    QCOMPARE(pathsOf(volumes.volumeItems()), expected);
    QCOMPARE(pathsOf(m_model->volumeItems()), expected);
    for (const QModelIndex& index : volumes.volumeItems())
        QCOMPARE(index.data(kKind).toInt(), 3);

    volumes.setVolumesOnly(false);
    QCOMPARE(volumes.rowCount(), 4);
    QCOMPARE(pathsOf(m_model->itemsOfCategory("Fault")), QStringList{native(m_projectPath + "/Interpretation/Faults/F1")});
    QVERIFY(m_model->itemsOfCategory("Nothing").isEmpty());
}

void TestProjectBrowser::selectionInTreeOrder()
{
    const QModelIndex wells = m_model->categoryIndex("Well");
    const QModelIndex w4 = childNamed(*m_model, wells, "W4");
    const QModelIndex w1 = childNamed(*m_model, childNamed(*m_model, wells, "North"), "W1");
    const QModelIndex rms = childNamed(*m_model, m_model->categoryIndex("Volume"), "RMS");
    QItemSelectionModel* selection = m_model->selectionModel();
    selection->select(w4, QItemSelectionModel::Select);
    selection->select(w1, QItemSelectionModel::Select);
    selection->select(rms, QItemSelectionModel::Select);
    QCOMPARE(m_model->selection(), (QModelIndexList{rms, w1, w4}));
    // The category item cannot be selected.
    selection->select(wells, QItemSelectionModel::Select);
    QCOMPARE(m_model->selection().size(), 3);
}

void TestProjectBrowser::treeDisplayMode()
{
    QWidget parent;
    auto* editor = qobject_cast<ZRProjectBrowserEditor*>(m_model->createWidget(&parent, 0));
    QVERIFY(editor);
    QCOMPARE(editor->parent(), &parent);
    QTreeView* view = editor->view();
    QCOMPARE(view->model(), m_model.get());
    QCOMPARE(view->selectionModel(), m_model->selectionModel());
    QCOMPARE(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(view->dragDropMode(), QAbstractItemView::DragOnly);
    QVERIFY(view->dragEnabled());
    QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    for (const QString& name : m_model->categoryNames())
        QVERIFY(view->isExpanded(m_model->categoryIndex(name)));

    // A selection made in the view is the model's selection.
    const QModelIndex f1 = childNamed(*m_model, m_model->categoryIndex("Fault"), "F1");
    view->selectionModel()->select(f1, QItemSelectionModel::ClearAndSelect);
    QCOMPARE(m_model->selection(), QModelIndexList{f1});

    // A category coming back after a table change is expanded again.
    m_model->setCategoryTable({{"Fault", {28}}});
    m_model->setCategoryTable(ZRProjectBrowserModel::defaultCategoryTable());
    QVERIFY(view->isExpanded(m_model->categoryIndex("Volume")));
    view->collapse(m_model->categoryIndex("Horizon"));
    m_model->setCurrentCategory("Horizon");
    QVERIFY(view->isExpanded(m_model->categoryIndex("Horizon")));
}

void TestProjectBrowser::stackedDisplayMode()
{
    QWidget parent;
    auto* editor = qobject_cast<ZRProjectBrowserEditorStacked*>(m_model->createWidget(&parent, 1));
    QVERIFY(editor);
    QComboBox* selector = editor->selector();
    QCOMPARE(selector->count(), 4);
    QCOMPARE(editor->stack()->count(), 4);
    for (int i = 0; i < selector->count(); ++i) {
        const QString name = selector->itemText(i);
        QCOMPARE(name, m_model->categoryNames().at(i));
        QTreeView* page = editor->viewOf(name);
        QVERIFY(page);
        QCOMPARE(page->rootIndex(), m_model->categoryIndex(name));
        QCOMPARE(page->selectionModel(), m_model->selectionModel());
        QCOMPARE(page->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(page->dragEnabled());
    }
    QCOMPARE(selector->currentText(), m_model->currentCategory());

    QSignalSpy spy(m_model.get(), &ZRProjectBrowserModel::categoryChanged);
    selector->setCurrentIndex(selector->findText("Well"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Well"));
    QCOMPARE(editor->currentView(), editor->viewOf("Well"));

    m_model->setCurrentCategory("Fault");
    QCOMPARE(selector->currentText(), QStringLiteral("Fault"));
    QCOMPARE(editor->currentView(), editor->viewOf("Fault"));
    QCOMPARE(spy.count(), 2);

    m_model->setCategoryTable({{"Horizon", {29}}, {"Fault", {28}}});
    QCOMPARE(selector->count(), 2);
    QCOMPARE(editor->stack()->count(), 2);
    QCOMPARE(editor->viewOf("Horizon")->rootIndex(), m_model->categoryIndex("Horizon"));
    QCOMPARE(selector->currentText(), QStringLiteral("Fault"));
    QCOMPARE(editor->viewOf("Fault")->model()->rowCount(editor->viewOf("Fault")->rootIndex()), 1);
}

void TestProjectBrowser::displayModeFactory_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("className");
    QTest::newRow("unset") << QVariant() << 0 << "ZRProjectBrowserEditor";
    QTest::newRow("tree") << QVariant(0) << 0 << "ZRProjectBrowserEditor";
    QTest::newRow("stacked") << QVariant(1) << 1 << "ZRProjectBrowserEditorStacked";
    QTest::newRow("other") << QVariant(2) << 2 << "";
    QTest::newRow("negative") << QVariant(-1) << -1 << "";
}

void TestProjectBrowser::displayModeFactory()
{
    QFETCH(QVariant, stored);
    QFETCH(int, mode);
    QFETCH(QString, className);
    {
        QSettings settings;
        if (stored.isValid())
            settings.setValue("ProjectBrowser/DisplayMode", stored);
        else
            settings.remove("ProjectBrowser/DisplayMode");
    }
    QCOMPARE(ZRProjectBrowserModel::storedDisplayMode(), mode);
    QWidget parent;
    QWidget* widget = m_model->createWidget(&parent, ZRProjectBrowserModel::storedDisplayMode());
    QCOMPARE(widget ? QString::fromLatin1(widget->metaObject()->className()) : QString(), className);
}

void TestProjectBrowser::modelDeletedBeforeWidgets()
{
    // The exchange dialog deletes the tree's model before its child widgets.
    QWidget parent;
    auto model = std::make_unique<ZRProjectBrowserModel>();
    model->setProject(*m_project);
    auto* stacked = qobject_cast<ZRProjectBrowserEditorStacked*>(model->createWidget(&parent, 1));
    auto* tree = qobject_cast<ZRProjectBrowserEditor*>(model->createWidget(&parent, 0));
    QVERIFY(stacked && tree);
    model.reset();
    QVERIFY(!stacked->model());
    QVERIFY(!tree->model());
    stacked->selector()->setCurrentIndex(1);
    QCOMPARE(stacked->stack()->currentIndex(), 1);
}

QTEST_MAIN(TestProjectBrowser)
#include "tst_projectbrowser.moc"
