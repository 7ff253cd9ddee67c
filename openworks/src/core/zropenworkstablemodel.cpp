#include "zropenworkstablemodel.h"

#include <QThread>

ZROpenworksTableModel::ZROpenworksTableModel(int labelColumn, QObject* parent)
    : QAbstractTableModel(parent)
    , m_labelColumn(labelColumn)
{
}

QVariant ZROpenworksTableModel::data(const QModelIndex&, int) const
{
    return QVariant();
}

QVariant ZROpenworksTableModel::headerData(int, Qt::Orientation, int) const
{
    return QVariant();
}

QString ZROpenworksTableModel::pageMessage() const
{
    QMutexLocker lock(&m_messageMutex);
    return m_pageMessage;
}

void ZROpenworksTableModel::setPageMessage(const QString& text)
{
    QMutexLocker lock(&m_messageMutex);
    m_pageMessage = text;
}

void ZROpenworksTableModel::refresh()
{
    beginResetModel();
    endResetModel();
}

bool ZROpenworksTableModel::onOwnThread() const
{
    return QThread::currentThread() == thread();
}
