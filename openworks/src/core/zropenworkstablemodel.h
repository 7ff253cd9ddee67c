#pragma once

#include <QAbstractTableModel>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <vector>

/// Status of a DevKit read that found no record: an empty catalogue, not an error.
constexpr int kOwNoRecords = 177600004;

/// A read-only catalogue table of the open OpenWorks project. Rows are fixed
/// arrays of values; columns from firstHiddenColumn() on carry the record
/// identifiers the imports read and are not shown.
///
/// loadFromOpenworks may run on a worker thread: it appends rows without change
/// notifications, and the owner calls refresh() on the GUI thread afterwards.
class ZROpenworksTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    ZROpenworksTableModel(int labelColumn, QObject* parent);

    /// The column whose text labels a drag (-1: none).
    int labelColumn() const { return m_labelColumn; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// Removes every row whatever the arguments; returns false.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override = 0;

    virtual bool isHiddenColumn(int column) const = 0;
    /// Fills the model from the open project, under a sub-progress of parentProgressId.
    virtual void loadFromOpenworks(int parentProgressId) = 0;

    /// Text for the page's overlay (empty text, or a loader's error); set by the loader.
    QString pageMessage() const;
    /// Tells the views that the rows changed (after a load on a worker thread).
    void refresh();

protected:
    void setPageMessage(const QString& text);
    /// Whether the caller runs on the model's thread (notifications allowed).
    bool onOwnThread() const;

private:
    int m_labelColumn;
    mutable QMutex m_messageMutex;
    QString m_pageMessage;
};

/// The row storage shared by the five catalogue models.
template <int Columns>
class ZROpenworksFixedTableModel : public ZROpenworksTableModel
{
public:
    using Row = std::array<QVariant, Columns>;

    /// headers: the texts of the shown columns, from column 0.
    ZROpenworksFixedTableModel(int labelColumn, const QStringList& headers, QObject* parent)
        : ZROpenworksTableModel(labelColumn, parent)
        , m_headers(headers)
    {
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
            return QVariant();
        return m_headers.at(section);
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : Columns;
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (!index.isValid() || index.row() < 0 || index.row() >= int(m_rows.size()) || index.column() < 0
            || index.column() >= Columns || role != Qt::DisplayRole)
            return QVariant();
        return m_rows[size_t(index.row())][size_t(index.column())];
    }
    bool removeRows(int, int, const QModelIndex& = QModelIndex()) override
    {
        if (onOwnThread()) {
            beginResetModel();
            m_rows.clear();
            endResetModel();
        } else {
            m_rows.clear();
        }
        return false;
    }

    const Row& row(int index) const { return m_rows[size_t(index)]; }

protected:
    std::vector<Row> m_rows;

private:
    QStringList m_headers;
};
