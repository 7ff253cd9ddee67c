#include "zropenworkshorizonmodel.h"

#include "owguards.h"
#include "zrprogressbarmgr.h"


ZROpenworksHorizonModel::ZROpenworksHorizonModel(QObject* parent)
    : ZROpenworksFixedTableModel(0, {"Horizon Name", "Version", "Interpreter", "Attribute", "Onset", "Data Min", "Data Max", "Create Date", "Update Date", "Status", "Class", "Remark"}, parent)
{
}

bool ZROpenworksHorizonModel::isHiddenColumn(int column) const
{
    return column >= FirstHiddenColumn;
}

void ZROpenworksHorizonModel::loadFromOpenworks(int parentProgressId)
{
    OwRecordList<gdiHorizonCatalog_t> horizons(GDI_CLASS_HORIZON_CATALOG);
    const int status = horizons.readSet();
    if (status != 0 && status != kOwNoRecords) {
        setPageMessage(owErrorText(status));
        return;
    }
    if (horizons.count() == 0) {
        setPageMessage(QStringLiteral("No horizons found"));
        return;
    }
    m_rows.reserve(size_t(horizons.count()));
    const int bar = zrProgressBarMgr->createProgressBar(horizons.count(), QStringLiteral("Loading Horizons"),
                                                        parentProgressId, true, false);
    for (int i = 0; i < horizons.count(); ++i) {
        if (zrProgressBarMgr->isProgressBarCancelled(parentProgressId))
            break;
        m_rows.push_back(rowOf(horizons[i]));
        zrProgressBarMgr->incrementProgressBar(bar, 1);
    }
    zrProgressBarMgr->closeProgressBar(bar);
}

ZROpenworksHorizonModel::Row ZROpenworksHorizonModel::rowOf(const gdiHorizonCatalog_t& horizon)
{
    return Row{owText(horizon.name), owText(horizon.version), owText(horizon.interpreter),
               owText(horizon.attribute), owText(horizon.onset), horizon.dataMin, horizon.dataMax,
               owText(horizon.createDate), owText(horizon.updateDate), owText(horizon.status),
               owText(horizon.horizonClass), owText(horizon.remark), int(horizon.id), owText(horizon.attribute)};
}

void ZROpenworksHorizonModel::appendHorizon(const gdiHorizonCatalog_t& horizon)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(rowOf(horizon));
    endInsertRows();
    setPageMessage(QString());
}
