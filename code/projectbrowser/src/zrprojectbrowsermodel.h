#pragma once

#include "zrproject.h"

#include <QItemSelectionModel>
#include <QList>
#include <QMap>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QMimeData;
class QWidget;
class ZRLogDatabase;

/// One entry of the category table: a category name shown to the user and the
/// host object types (descriptor folder ids) listed under it.
struct ZRProjectBrowserCategory
{
    QString name;
    QList<int> objectTypes;
};

/// The host project tree: one top-level item per category, holding the object
/// files found in the project folders of the category's object types and, for
/// object type 33, the wells of the well database (well sets with their wells,
/// then the wells that belong to no set).
///
/// Every item answers the item roles (ItemKindRole to IdRole). Items are dragged
/// as "application/velostrat.projectbrowseritemdatalist": a QDataStream (Qt 5
/// format) holding a QList<QMap<int, QVariant>>, one map of roles per item.
///
/// Call order: setWellDatabase(), setProject(), setCategoryTable() (the default
/// table is used until then); each of them rebuilds the items. The project is
/// copied; the well database is not owned and must outlive the model or be
/// replaced before it is deleted. The model owns one selection model, shared by
/// every widget made by createWidget(), so selection() is the user's selection
/// whichever display mode shows it. GUI thread only.
class ZRProjectBrowserModel : public QStandardItemModel
{
    Q_OBJECT

public:
    enum ItemRole
    {
        ItemKindRole = Qt::UserRole + 257,       ///< 513: ItemKind
        ObjectTypeRole = Qt::UserRole + 258,     ///< 514: host object type (-1 for a category)
        WellItemTypeRole = Qt::UserRole + 259,   ///< 515: WellItemType (0 for other items)
        PathRole = Qt::UserRole + 260,           ///< 516: file path (empty for a category)
        IdRole = Qt::UserRole + 261              ///< 517: well or well-set id (-1 for other items)
    };

    enum ItemKind
    {
        CategoryItem = 1,
        ObjectFileItem = 3,
        WellDatabaseItem = 4
    };

    enum WellItemType
    {
        NoWellItem = 0,
        WellItem = 1,
        WellSetItem = 6
    };

    enum DisplayMode
    {
        TreeDisplay = 0,    ///< ZRProjectBrowserEditor
        StackedDisplay = 1  ///< ZRProjectBrowserEditorStacked
    };

    static const QString MimeType;        ///< "application/velostrat.projectbrowseritemdatalist"
    static const QString VolumeCategory;  ///< "Volume"

    explicit ZRProjectBrowserModel(QObject* parent = nullptr);
    ~ZRProjectBrowserModel() override;

    /// "Volume" 0, 1, 36; "Fault" 28; "Horizon" 29; "Well" 33, 41, 104.
    static QVector<ZRProjectBrowserCategory> defaultCategoryTable();
    /// The display mode stored under "ProjectBrowser"/"DisplayMode" (0 when unset).
    static int storedDisplayMode();

    /// Copies the project and rebuilds every category.
    void setProject(const ZRProject& project);
    const ZRProject& project() const { return m_project; }
    bool hasProject() const { return !m_project.projectPath().isEmpty(); }

    /// The well database whose wells are listed (not owned; null lists none).
    /// Rebuilds the categories holding object type 33.
    void setWellDatabase(ZRLogDatabase* database);
    ZRLogDatabase* wellDatabase() const { return m_wellDatabase; }

    /// A flag of the host's browsers, kept as given (the data link sets 1).
    void setFlag(int flag) { m_flag = flag; }
    int flag() const { return m_flag; }

    /// Only the "Volume" category is shown (the survey association dialog's tree).
    void setVolumesOnly(bool volumesOnly);
    bool isVolumesOnly() const { return m_volumesOnly; }

    /// Replaces the categories (in display order) and rebuilds. Categories whose
    /// names did not change keep their items and indexes. The current category
    /// becomes the first one when its name is no longer in the table.
    void setCategoryTable(const QVector<ZRProjectBrowserCategory>& table);
    QVector<ZRProjectBrowserCategory> categoryTable() const { return m_categories; }
    /// Names of the categories shown, in display order.
    QStringList categoryNames() const;
    /// The category listing that object type, or empty text.
    QString categoryOfObjectType(int objectType) const;
    /// The top-level item of a shown category (invalid index when none).
    QModelIndex categoryIndex(const QString& name) const;

    QString currentCategory() const { return m_currentCategory; }

    /// Rebuilds every category from the project folders and the well database.
    /// Items that are still there keep their indexes (and selection).
    void reload();
    /// Rescans the categories that list objectType (type 33: the well database).
    void reloadObjectType(int objectType);

    /// The selected items (column 0), in tree order.
    QModelIndexList selection() const;
    QItemSelectionModel* selectionModel() const { return m_selectionModel; }

    /// The object files listed under a category, in tree order.
    QModelIndexList itemsOfCategory(const QString& name) const;
    /// itemsOfCategory("Volume").
    QModelIndexList volumeItems() const;

    /// The item roles of an index (ItemKindRole to IdRole, and Qt::DisplayRole).
    static QMap<int, QVariant> itemRoles(const QModelIndex& index);
    /// Decodes the drag data of MimeType (empty list when absent or malformed).
    static QList<QMap<int, QVariant>> decodeItemDataList(const QMimeData* mimeData);

    /// The widget showing this model in a display mode (0 tree, 1 stacked), owned
    /// by parent; null for any other mode.
    QWidget* createWidget(QWidget* parent, int displayMode);

    // Drag support.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

public slots:
    /// Makes name the current category (unknown names are ignored) and moves the
    /// current index to its item. Emits categoryChanged() when it changed.
    void setCurrentCategory(const QString& name);
    /// Makes the category listing objectType current.
    void setCurrentObjectType(int objectType);

signals:
    /// The current category changed (by the user or through setCurrentCategory()).
    void categoryChanged(const QString& name);
    /// Categories were added or removed; widgets rebuild their pages.
    void categoryTableChanged();

private:
    struct Node;

    QVector<Node> buildTree() const;
    Node buildCategory(const ZRProjectBrowserCategory& category) const;
    void appendFileNodes(int objectType, QStringList& scannedFolders, QVector<Node>& nodes) const;
    void appendWellNodes(QVector<Node>& nodes) const;
    QVector<ZRProjectBrowserCategory> shownCategories() const;
    void syncChildren(QStandardItem* parent, const QVector<Node>& nodes);
    void updateCurrentFromIndex(const QModelIndex& current);
    void changeCurrentCategory(const QString& name);
    void keepCurrentIndexInCategory();

    ZRProject m_project;
    ZRLogDatabase* m_wellDatabase = nullptr;
    QVector<ZRProjectBrowserCategory> m_categories;
    QString m_currentCategory;
    QItemSelectionModel* m_selectionModel = nullptr;
    int m_flag = 0;
    bool m_volumesOnly = false;
    bool m_syncing = false;
};
