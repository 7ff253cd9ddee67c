#include "zropenworksfaultmodel.h"

#include "owguards.h"
#include "zrprogressbarmgr.h"


ZROpenworksFaultModel::ZROpenworksFaultModel(QObject* parent)
    : ZROpenworksFixedTableModel(0, {"Name", "Version", "Interpreter", "Domain", "Segment Count", "Create Date", "Update Date"}, parent)
{
}

bool ZROpenworksFaultModel::isHiddenColumn(int column) const
{
    return column >= FirstHiddenColumn;
}

void ZROpenworksFaultModel::loadFromOpenworks(int parentProgressId)
{
    OwRecordList<gdiFaultPlane_t> faults(GDI_CLASS_FAULT_PLANE);
    const int status = faults.readSet();
    if (status != 0 && status != kOwNoRecords) {
        setPageMessage(owErrorText(status));
        return;
    }
    if (faults.count() == 0) {
        setPageMessage(QStringLiteral("No faults found"));
        return;
    }
    m_rows.reserve(size_t(faults.count()));
    const int bar = zrProgressBarMgr->createProgressBar(faults.count(), QStringLiteral("Loading Faults"),
                                                        parentProgressId, true, false);
    for (int i = 0; i < faults.count(); ++i) {
        if (zrProgressBarMgr->isProgressBarCancelled(parentProgressId))
            break;
        m_rows.push_back(rowOf(faults[i]));
        zrProgressBarMgr->incrementProgressBar(bar, 1);
    }
    zrProgressBarMgr->closeProgressBar(bar);
}

ZROpenworksFaultModel::Row ZROpenworksFaultModel::rowOf(const gdiFaultPlane_t& fault)
{
    int segments = 0;
    gdiCountSubset(GDI_CLASS_FAULT_PLANE, &fault, GDI_CLASS_FAULT_SEGMENT, &segments);
    return Row{owText(fault.name), owText(fault.version), owText(fault.interpreter), owText(fault.domain), segments,
               owText(fault.createDate), owText(fault.updateDate), int(fault.id)};
}

void ZROpenworksFaultModel::appendFaultPlane(const gdiFaultPlane_t& plane)
{
    const Row values = rowOf(plane);
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(values);
    endInsertRows();
    setPageMessage(QString());
}
