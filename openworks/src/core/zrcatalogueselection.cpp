#include "zrcatalogueselection.h"

#include <QAbstractProxyModel>
#include <QSet>

QVector<int> selectedSourceRows(const QModelIndexList& selection, const QAbstractItemModel& model)
{
    QVector<int> rows;
    QSet<int> seen;
    for (QModelIndex index : selection) {
        while (index.isValid() && index.model() != &model) {
            const auto* proxy = qobject_cast<const QAbstractProxyModel*>(index.model());
            if (!proxy)
                break;
            index = proxy->mapToSource(index);
        }
        if (!index.isValid() || index.model() != &model || seen.contains(index.row()))
            continue;
        seen.insert(index.row());
        rows.append(index.row());
    }
    return rows;
}

QVector<int> uniqueRows(const QVector<int>& rows)
{
    QVector<int> unique;
    QSet<int> seen;
    for (int row : rows) {
        if (seen.contains(row))
            continue;
        seen.insert(row);
        unique.append(row);
    }
    return unique;
}
