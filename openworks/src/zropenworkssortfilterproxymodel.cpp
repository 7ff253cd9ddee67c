#include "zropenworkssortfilterproxymodel.h"

ZROpenworksSortFilterProxyModel::ZROpenworksSortFilterProxyModel(QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_pattern(QString(), Qt::CaseInsensitive, QRegExp::Wildcard)
{
    setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ZROpenworksSortFilterProxyModel::applyPendingFilter);
}

void ZROpenworksSortFilterProxyModel::setPendingFilter(const QString& text)
{
    m_pendingFilter = text;
    m_timer.start(FilterDelayMs);
}

void ZROpenworksSortFilterProxyModel::applyPendingFilter()
{
    m_pattern = QRegExp(m_pendingFilter, Qt::CaseInsensitive, QRegExp::Wildcard);
    invalidateFilter();
}

bool ZROpenworksSortFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_pattern.isEmpty())
        return true;
    const QAbstractItemModel* model = sourceModel();
    if (!model)
        return true;
    for (int column = 0; column < model->columnCount(sourceParent); ++column) {
        const QString text = model->index(sourceRow, column, sourceParent).data(Qt::DisplayRole).toString();
        if (m_pattern.indexIn(text) != -1)
            return true;
    }
    return false;
}

bool ZROpenworksSortFilterProxyModel::filterAcceptsColumn(int, const QModelIndex&) const
{
    return true;
}
