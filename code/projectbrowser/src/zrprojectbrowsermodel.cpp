#include "zrprojectbrowsermodel.h"

#include "zrprojectbrowsereditor.h"
#include "zrprojectbrowsereditorstacked.h"

#include "iconxpmhandler.h"
#include "zrlogdatabase.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QSet>
#include <QSettings>

#include <algorithm>
#include <functional>

const QString ZRProjectBrowserModel::MimeType = QStringLiteral("application/velostrat.projectbrowseritemdatalist");
const QString ZRProjectBrowserModel::VolumeCategory = QStringLiteral("Volume");

/// What one item should show after a rebuild.
struct ZRProjectBrowserModel::Node
{
    QString text;
    QString icon;
    int kind = CategoryItem;
    int objectType = -1;
    int wellItemType = NoWellItem;
    QString path;
    int id = -1;
    QVector<Node> children;
};

namespace
{
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_5_15;

const QList<int> kItemRoles = {ZRProjectBrowserModel::ItemKindRole, ZRProjectBrowserModel::ObjectTypeRole,
                               ZRProjectBrowserModel::WellItemTypeRole, ZRProjectBrowserModel::PathRole,
                               ZRProjectBrowserModel::IdRole};

QString iconNameForType(int objectType)
{
    switch (objectType) {
    case 0:
    case ZRProject::VolumeType:
    case ZRProject::VolumeAttributeType:
        return QStringLiteral("bloc");
    case ZRProject::FaultType:
        return QStringLiteral("faultpicking");
    case ZRProject::HorizonType:
        return QStringLiteral("horizon_base");
    case ZRProject::WellDatabaseType:
        return QStringLiteral("welltable24");
    default:
        return QString();
    }
}

QIcon iconNamed(const QString& name)
{
    if (name.isEmpty() || !iconHandler || !iconHandler->hasIcon(name))
        return QIcon();
    return iconHandler->icon(name);
}

/// Identity of an item across rebuilds: a category by its name, a file by its
/// type and path, a well-database item by its well item type and id.
QString keyOf(int kind, int objectType, int wellItemType, int id, const QString& path, const QString& text)
{
    return QStringLiteral("%1|%2|%3|%4|%5").arg(kind).arg(objectType).arg(wellItemType).arg(id)
        .arg(kind == ZRProjectBrowserModel::CategoryItem ? text : path);
}

QString keyOfItem(const QStandardItem* item)
{
    return keyOf(item->data(ZRProjectBrowserModel::ItemKindRole).toInt(),
                 item->data(ZRProjectBrowserModel::ObjectTypeRole).toInt(),
                 item->data(ZRProjectBrowserModel::WellItemTypeRole).toInt(),
                 item->data(ZRProjectBrowserModel::IdRole).toInt(),
                 item->data(ZRProjectBrowserModel::PathRole).toString(), item->text());
}

bool nameLess(const QString& a, int idA, const QString& b, int idB)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : idA < idB;
}

/// Rows from the root down to index, for ordering indexes as the tree shows them.
QVector<int> rowPath(QModelIndex index)
{
    QVector<int> rows;
    while (index.isValid()) {
        rows.prepend(index.row());
        index = index.parent();
    }
    return rows;
}

void sortInTreeOrder(QModelIndexList& indexes)
{
    std::stable_sort(indexes.begin(), indexes.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return rowPath(a) < rowPath(b);
    });
}
} // namespace

ZRProjectBrowserModel::ZRProjectBrowserModel(QObject* parent)
    : QStandardItemModel(parent), m_categories(defaultCategoryTable())
{
    m_selectionModel = new QItemSelectionModel(this, this);
    connect(m_selectionModel, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { updateCurrentFromIndex(current); });
    reload();
}

ZRProjectBrowserModel::~ZRProjectBrowserModel()
{
    disconnect(m_selectionModel, nullptr, this, nullptr);
}

QVector<ZRProjectBrowserCategory> ZRProjectBrowserModel::defaultCategoryTable()
{
    return {{VolumeCategory, {0, ZRProject::VolumeType, ZRProject::VolumeAttributeType}},
            {QStringLiteral("Fault"), {ZRProject::FaultType}},
            {QStringLiteral("Horizon"), {ZRProject::HorizonType}},
            {QStringLiteral("Well"), {ZRProject::WellDatabaseType, 41, 104}}};
}

int ZRProjectBrowserModel::storedDisplayMode()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("ProjectBrowser"));
    return settings.value(QStringLiteral("DisplayMode"), 0).toInt();
}

void ZRProjectBrowserModel::setProject(const ZRProject& project)
{
    m_project = project;
    reload();
}

void ZRProjectBrowserModel::setWellDatabase(ZRLogDatabase* database)
{
    m_wellDatabase = database;
    reloadObjectType(ZRProject::WellDatabaseType);
}

void ZRProjectBrowserModel::setVolumesOnly(bool volumesOnly)
{
    if (m_volumesOnly == volumesOnly)
        return;
    m_volumesOnly = volumesOnly;
    reload();
}

void ZRProjectBrowserModel::setCategoryTable(const QVector<ZRProjectBrowserCategory>& table)
{
    m_categories.clear();
    QSet<QString> names;
    for (const ZRProjectBrowserCategory& category : table) {
        if (category.name.isEmpty() || names.contains(category.name))
            continue;
        names.insert(category.name);
        m_categories.append(category);
    }
    reload();
}

QVector<ZRProjectBrowserCategory> ZRProjectBrowserModel::shownCategories() const
{
    if (!m_volumesOnly)
        return m_categories;
    QVector<ZRProjectBrowserCategory> shown;
    for (const ZRProjectBrowserCategory& category : m_categories) {
        if (category.name == VolumeCategory)
            shown.append(category);
    }
    return shown;
}

QStringList ZRProjectBrowserModel::categoryNames() const
{
    QStringList names;
    for (const ZRProjectBrowserCategory& category : shownCategories())
        names.append(category.name);
    return names;
}

QString ZRProjectBrowserModel::categoryOfObjectType(int objectType) const
{
    for (const ZRProjectBrowserCategory& category : shownCategories()) {
        if (category.objectTypes.contains(objectType))
            return category.name;
    }
    return QString();
}

QModelIndex ZRProjectBrowserModel::categoryIndex(const QString& name) const
{
    for (int row = 0; row < rowCount(); ++row) {
        const QStandardItem* category = item(row);
        if (category->text() == name)
            return category->index();
    }
    return QModelIndex();
}

void ZRProjectBrowserModel::reload()
{
    const QStringList namesBefore = [this] {
        QStringList names;
        for (int row = 0; row < rowCount(); ++row)
            names.append(item(row)->text());
        return names;
    }();

    {
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        syncChildren(invisibleRootItem(), buildTree());
    }

    const QStringList names = categoryNames();
    if (!names.contains(m_currentCategory))
        changeCurrentCategory(names.value(0));
    keepCurrentIndexInCategory();
    if (names != namesBefore)
        emit categoryTableChanged();
}

void ZRProjectBrowserModel::reloadObjectType(int objectType)
{
    for (const ZRProjectBrowserCategory& category : shownCategories()) {
        if (!category.objectTypes.contains(objectType))
            continue;
        const QModelIndex index = categoryIndex(category.name);
        if (index.isValid()) {
            const QScopedValueRollback<bool> syncing(m_syncing, true);
            syncChildren(itemFromIndex(index), buildCategory(category).children);
        }
    }
    keepCurrentIndexInCategory();
}

QVector<ZRProjectBrowserModel::Node> ZRProjectBrowserModel::buildTree() const
{
    QVector<Node> categories;
    for (const ZRProjectBrowserCategory& category : shownCategories())
        categories.append(buildCategory(category));
    return categories;
}

ZRProjectBrowserModel::Node ZRProjectBrowserModel::buildCategory(const ZRProjectBrowserCategory& category) const
{
    Node node;
    node.text = category.name;
    node.icon = QStringLiteral("folder");
    for (int type : category.objectTypes) {
        if (!iconNameForType(type).isEmpty()) {
            node.icon = iconNameForType(type);
            break;
        }
    }
    QStringList scannedFolders;
    for (int type : category.objectTypes) {
        if (type == ZRProject::WellDatabaseType)
            appendWellNodes(node.children);
        else
            appendFileNodes(type, scannedFolders, node.children);
    }
    return node;
}

void ZRProjectBrowserModel::appendFileNodes(int objectType, QStringList& scannedFolders, QVector<Node>& nodes) const
{
    if (!hasProject())
        return;
    const QString folder = m_project.directoryForType(objectType);
    if (folder.isEmpty())
        return;
    const QString cleanFolder = QDir::cleanPath(folder);
    if (scannedFolders.contains(cleanFolder))
        return;
    scannedFolders.append(cleanFolder);

    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QString icon = iconNameForType(objectType);
    for (const QString& fileName : files) {
        Node node;
        node.text = fileName;
        node.icon = icon;
        node.kind = ObjectFileItem;
        node.objectType = objectType;
        node.path = QDir::toNativeSeparators(folder + QDir::separator() + fileName);
        nodes.append(node);
    }
}

void ZRProjectBrowserModel::appendWellNodes(QVector<Node>& nodes) const
{
    if (!m_wellDatabase)
        return;
    const QString databaseFile = m_wellDatabase->databasePath().isEmpty()
        ? QString()
        : QDir::toNativeSeparators(ZRLogDatabase::databaseFileName(m_wellDatabase->databasePath()));

    auto wellNode = [&databaseFile](const ZRWell* well) {
        Node node;
        node.text = well->name();
        node.icon = QStringLiteral("well");
        node.kind = WellDatabaseItem;
        node.objectType = ZRProject::WellDatabaseType;
        node.wellItemType = WellItem;
        node.path = databaseFile;
        node.id = well->id();
        return node;
    };
    auto byName = [](const auto* a, const auto* b) { return nameLess(a->name(), a->id(), b->name(), b->id()); };

    QVector<ZRWellSet*> wellSets = m_wellDatabase->wellSets();
    std::sort(wellSets.begin(), wellSets.end(), byName);
    QSet<const ZRWell*> wellsInSets;
    for (const ZRWellSet* wellSet : wellSets) {
        Node setNode;
        setNode.text = wellSet->name();
        setNode.icon = QStringLiteral("wellset");
        setNode.kind = WellDatabaseItem;
        setNode.objectType = ZRProject::WellDatabaseType;
        setNode.wellItemType = WellSetItem;
        setNode.path = databaseFile;
        setNode.id = wellSet->id();
        QVector<ZRWell*> members = wellSet->wells();
        members.erase(std::remove(members.begin(), members.end(), nullptr), members.end());
        std::sort(members.begin(), members.end(), byName);
        members.erase(std::unique(members.begin(), members.end()), members.end());
        for (const ZRWell* well : members) {
            wellsInSets.insert(well);
            setNode.children.append(wellNode(well));
        }
        nodes.append(setNode);
    }

    QVector<ZRWell*> wells = m_wellDatabase->wells();
    std::sort(wells.begin(), wells.end(), byName);
    for (const ZRWell* well : wells) {
        if (!wellsInSets.contains(well))
            nodes.append(wellNode(well));
    }
}

namespace
{
QStandardItem* makeItem(const QString& text, const QString& icon, int kind, int objectType, int wellItemType,
                        const QString& path, int id)
{
    auto* item = new QStandardItem(iconNamed(icon), text);
    item->setData(kind, ZRProjectBrowserModel::ItemKindRole);
    item->setData(objectType, ZRProjectBrowserModel::ObjectTypeRole);
    item->setData(wellItemType, ZRProjectBrowserModel::WellItemTypeRole);
    item->setData(path, ZRProjectBrowserModel::PathRole);
    item->setData(id, ZRProjectBrowserModel::IdRole);
    if (!path.isEmpty())
        item->setToolTip(path);
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (kind != ZRProjectBrowserModel::CategoryItem)
        flags |= Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    return item;
}
} // namespace

void ZRProjectBrowserModel::syncChildren(QStandardItem* parent, const QVector<Node>& nodes)
{
    QHash<QString, int> wanted;
    wanted.reserve(nodes.size());
    for (int i = 0; i < nodes.size(); ++i) {
        const Node& node = nodes.at(i);
        wanted.insert(keyOf(node.kind, node.objectType, node.wellItemType, node.id, node.path, node.text), i);
    }

    // Drop the children that are gone, in runs of consecutive rows.
    for (int row = parent->rowCount() - 1; row >= 0;) {
        if (wanted.contains(keyOfItem(parent->child(row)))) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && !wanted.contains(keyOfItem(parent->child(first - 1))))
            --first;
        parent->removeRows(first, row - first + 1);
        row = first - 1;
    }

    QHash<QString, QStandardItem*> existing;
    for (int row = 0; row < parent->rowCount(); ++row)
        existing.insert(keyOfItem(parent->child(row)), parent->child(row));

    std::function<QStandardItem*(const Node&)> build = [&build](const Node& node) {
        QStandardItem* item = makeItem(node.text, node.icon, node.kind, node.objectType, node.wellItemType,
                                       node.path, node.id);
        for (const Node& child : node.children)
            item->appendRow(build(child));
        return item;
    };

    for (int i = 0; i < nodes.size();) {
        const Node& node = nodes.at(i);
        QStandardItem* current =
            existing.value(keyOf(node.kind, node.objectType, node.wellItemType, node.id, node.path, node.text));
        if (!current) {
            // Insert the run of new nodes in one step.
            QList<QStandardItem*> run;
            bool withChildren = false;
            int next = i;
            while (next < nodes.size()) {
                const Node& candidate = nodes.at(next);
                if (existing.contains(keyOf(candidate.kind, candidate.objectType, candidate.wellItemType, candidate.id,
                                            candidate.path, candidate.text)))
                    break;
                run.append(build(candidate));
                withChildren = withChildren || !candidate.children.isEmpty();
                ++next;
            }
            // insertRows(int, QList) leaves the children of the inserted items
            // outside the model (invalid indexes): items with children go in one by one.
            if (withChildren) {
                for (int k = 0; k < run.size(); ++k)
                    parent->insertRow(i + k, run.at(k));
            } else {
                parent->insertRows(i, run);
            }
            i = next;
            continue;
        }
        if (current->row() != i) {
            const QList<QStandardItem*> row = parent->takeRow(current->row());
            parent->insertRow(i, row);
        }
        if (current->text() != node.text)
            current->setText(node.text);
        syncChildren(current, node.children);
        ++i;
    }
}

void ZRProjectBrowserModel::setCurrentCategory(const QString& name)
{
    if (!categoryNames().contains(name))
        return;
    changeCurrentCategory(name);
}

void ZRProjectBrowserModel::setCurrentObjectType(int objectType)
{
    setCurrentCategory(categoryOfObjectType(objectType));
}

void ZRProjectBrowserModel::changeCurrentCategory(const QString& name)
{
    if (name == m_currentCategory)
        return;
    m_currentCategory = name;
    keepCurrentIndexInCategory();
    if (!name.isEmpty())
        emit categoryChanged(name);
}

namespace
{
QModelIndex topLevelOf(QModelIndex index)
{
    while (index.parent().isValid())
        index = index.parent();
    return index;
}
} // namespace

void ZRProjectBrowserModel::updateCurrentFromIndex(const QModelIndex& current)
{
    // While rows are removed the selection model moves its current index on its
    // own; that is not the user's choice.
    if (m_syncing || !current.isValid())
        return;
    changeCurrentCategory(topLevelOf(current).data(Qt::DisplayRole).toString());
}

void ZRProjectBrowserModel::keepCurrentIndexInCategory()
{
    const QModelIndex category = categoryIndex(m_currentCategory);
    const QModelIndex current = m_selectionModel->currentIndex();
    if (category.isValid() && (!current.isValid() || topLevelOf(current) != category)) {
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        m_selectionModel->setCurrentIndex(category, QItemSelectionModel::NoUpdate);
    }
}

QModelIndexList ZRProjectBrowserModel::selection() const
{
    QModelIndexList result;
    QSet<QModelIndex> seen;
    const QModelIndexList selected = m_selectionModel->selectedIndexes();
    for (const QModelIndex& index : selected) {
        if (index.column() == 0 && !seen.contains(index)) {
            seen.insert(index);
            result.append(index);
        }
    }
    sortInTreeOrder(result);
    return result;
}

QModelIndexList ZRProjectBrowserModel::itemsOfCategory(const QString& name) const
{
    QModelIndexList result;
    const QModelIndex category = categoryIndex(name);
    if (!category.isValid())
        return result;
    std::function<void(const QStandardItem*)> collect = [&result, &collect](const QStandardItem* parent) {
        for (int row = 0; row < parent->rowCount(); ++row) {
            const QStandardItem* child = parent->child(row);
            result.append(child->index());
            collect(child);
        }
    };
    collect(itemFromIndex(category));
    return result;
}

QModelIndexList ZRProjectBrowserModel::volumeItems() const
{
    return itemsOfCategory(VolumeCategory);
}

QMap<int, QVariant> ZRProjectBrowserModel::itemRoles(const QModelIndex& index)
{
    QMap<int, QVariant> roles;
    if (!index.isValid())
        return roles;
    roles.insert(Qt::DisplayRole, index.data(Qt::DisplayRole).toString());
    for (int role : kItemRoles)
        roles.insert(role, index.data(role));
    return roles;
}

QList<QMap<int, QVariant>> ZRProjectBrowserModel::decodeItemDataList(const QMimeData* mimeData)
{
    QList<QMap<int, QVariant>> items;
    if (!mimeData || !mimeData->hasFormat(MimeType))
        return items;
    QByteArray bytes = mimeData->data(MimeType);
    QDataStream stream(&bytes, QIODevice::ReadOnly);
    stream.setVersion(kStreamVersion);
    stream >> items;
    if (stream.status() != QDataStream::Ok)
        items.clear();
    return items;
}

QWidget* ZRProjectBrowserModel::createWidget(QWidget* parent, int displayMode)
{
    switch (displayMode) {
    case TreeDisplay:
        return new ZRProjectBrowserEditor(this, parent);
    case StackedDisplay:
        return new ZRProjectBrowserEditorStacked(this, parent);
    default:
        return nullptr;
    }
}

QStringList ZRProjectBrowserModel::mimeTypes() const
{
    return {MimeType};
}

QMimeData* ZRProjectBrowserModel::mimeData(const QModelIndexList& indexes) const
{
    QList<QMap<int, QVariant>> items;
    QSet<QPersistentModelIndex> seen;
    for (const QModelIndex& index : indexes) {
        if (!index.isValid() || index.column() != 0 || index.model() != this
            || index.data(ItemKindRole).toInt() == CategoryItem || seen.contains(index))
            continue;
        seen.insert(index);
        items.append(itemRoles(index));
    }
    if (items.isEmpty())
        return nullptr;

    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(kStreamVersion);
    stream << items;

    auto* mimeData = new QMimeData;
    mimeData->setData(MimeType, bytes);
    return mimeData;
}

Qt::DropActions ZRProjectBrowserModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

Qt::DropActions ZRProjectBrowserModel::supportedDropActions() const
{
    return Qt::IgnoreAction;
}
