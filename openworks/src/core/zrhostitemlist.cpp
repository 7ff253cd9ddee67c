#include "zrhostitemlist.h"

#include <QFileInfo>
#include <QStandardItem>

ZRHostItemList::ZRHostItemList(QObject* parent)
    : QStandardItemModel(parent)
{
}

QModelIndex ZRHostItemList::addFile(const QString& path, int objectType)
{
    auto* item = new QStandardItem(QFileInfo(path).fileName());
    item->setData(3, Qt::UserRole + 257);
    item->setData(objectType, Qt::UserRole + 258);
    item->setData(0, Qt::UserRole + 259);
    item->setData(path, Qt::UserRole + 260);
    item->setData(-1, Qt::UserRole + 261);
    item->setEditable(false);
    appendRow(item);
    return indexFromItem(item);
}

QModelIndexList ZRHostItemList::items() const
{
    QModelIndexList list;
    for (int row = 0; row < rowCount(); ++row)
        list.append(index(row, 0));
    return list;
}
