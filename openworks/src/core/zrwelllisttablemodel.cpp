#include "zrwelllisttablemodel.h"

#include "owdevkit.h"
#include "owguards.h"
#include "zrprogressbarmgr.h"

#include <cstring>

ZRWellListTableModel::ZRWellListTableModel(QObject* parent)
    : ZROpenworksFixedTableModel(NameColumn, {"Well List", "Interpreter", "Well Count"}, parent)
{
}

bool ZRWellListTableModel::isHiddenColumn(int) const
{
    return false;
}

void ZRWellListTableModel::loadFromOpenworks(int parentProgressId)
{
    populate(parentProgressId);
}

void ZRWellListTableModel::populate(int progressBarId)
{
    OwRecordList<gdiWellList_t> lists(GDI_CLASS_WELL_LIST);
    const int status = lists.readSet();
    if (lists.count() == 0) {
        setPageMessage(status == 0 || status == kOwNoRecords ? QStringLiteral("No well lists found.")
                                                             : owErrorText(status));
    } else {
        if (onOwnThread())
            beginResetModel();
        for (int i = 0; i < lists.count(); ++i) {
            int wells = 0;
            if (gdiCountSubset(GDI_CLASS_WELL_LIST, &lists[i], GDI_CLASS_WELL, &wells) != 0)
                wells = 0;
            const gdiWellList_t& list = lists[i];
            m_rows.push_back(Row{QString::fromLocal8Bit(list.name, int(strnlen(list.name, sizeof list.name))),
                                 QString::fromLocal8Bit(list.interpreter,
                                                        int(strnlen(list.interpreter, sizeof list.interpreter))),
                                 wells});
        }
        if (onOwnThread())
            endResetModel();
    }
    if (progressBarId >= 0)
        zrProgressBarMgr->incrementProgressBar(progressBarId, 1);
}

void ZRWellListTableModel::appendWellList(const QString& name, const QString& interpreter, int wellCount)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(Row{name, interpreter, wellCount});
    endInsertRows();
}

int ZRWellListTableModel::rowOfList(const QString& name) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (m_rows[size_t(row)][NameColumn].toString() == name)
            return row;
    }
    return -1;
}
