#pragma once

#include <QModelIndexList>
#include <QStandardItemModel>
#include <QString>

/// Host files as items of the host project tree, for runs without the tree
/// (the headless front end, tests): one row per file answering the item roles
/// the exports read (513 item kind 3, 514 the object type, 516 the path), with
/// the file name as its text.
class ZRHostItemList : public QStandardItemModel
{
    Q_OBJECT
public:
    explicit ZRHostItemList(QObject* parent = nullptr);

    /// Appends a file of a host object type (1 or 36 volumes, 28 faults, 29
    /// horizons); returns its index.
    QModelIndex addFile(const QString& path, int objectType);
    /// Every item, in order.
    QModelIndexList items() const;
};
