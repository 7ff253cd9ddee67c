#include "zropenworkswellmodel.h"

#include "owguards.h"
#include "zrprogressbarmgr.h"

#include <QSet>

namespace
{

bool isError(int status)
{
    return status != 0 && status != kOwNoRecords;
}

ZROpenworksWellModel::Row wellRow(const QString& listName, const gdiWell_t& well)
{
    return ZROpenworksWellModel::Row{listName,
                                     owText(well.commonWellName),
                                     owText(well.wellNumber),
                                     owText(well.operatorName),
                                     owText(well.interpreter),
                                     owText(well.country),
                                     owText(well.state),
                                     owText(well.elevationRef),
                                     double(well.elevation),
                                     double(well.totalDepth),
                                     well.x,
                                     well.y,
                                     owText(well.wellKey),
                                     owText(well.uwi),
                                     int(well.id),
                                     owText(well.status)};
}

} // namespace

ZROpenworksWellModel::ZROpenworksWellModel(QObject* parent)
    : ZROpenworksFixedTableModel(-1,
                                 {"Well List", "Common Well Name", "Well Number", "Well Operator", "Interpreter",
                                  "Country", "State", "Elevation Type", "Elevation", "Total Depth", "X Coordinate",
                                  "Y Coordinate"},
                                 parent)
{
}

bool ZROpenworksWellModel::isHiddenColumn(int column) const
{
    return column >= FirstHiddenColumn;
}

void ZROpenworksWellModel::loadFromOpenworks(int parentProgressId)
{
    OwRecordList<gdiWell_t> wells(GDI_CLASS_WELL);
    OwRecordList<gdiWellList_t> lists(GDI_CLASS_WELL_LIST);
    const int wellStatus = wells.readSet();
    const int listStatus = lists.readSet();
    if (isError(wellStatus) && isError(listStatus)) {
        setPageMessage(QStringLiteral("Well Lists: %1").arg(owErrorText(listStatus)) + QLatin1Char('\n')
                       + QStringLiteral("Wells: %1").arg(owErrorText(wellStatus)));
        return;
    }
    if (wells.count() == 0 && lists.count() == 0) {
        setPageMessage(QStringLiteral("No wells found"));
        return;
    }
    m_rows.reserve(size_t(wells.count()));

    QSet<QString> listedKeys;
    const int listBar = zrProgressBarMgr->createProgressBar(lists.count(), QStringLiteral("Loading Wells"),
                                                            parentProgressId, true, false);
    for (int i = 0; i < lists.count(); ++i) {
        if (zrProgressBarMgr->isProgressBarCancelled(parentProgressId))
            break;
        const QString listName = owText(lists[i].name);
        OwRecordList<gdiWell_t> members(GDI_CLASS_WELL);
        const int status = members.readSubset(GDI_CLASS_WELL_LIST, &lists[i]);
        if (isError(status))
            setPageMessage(owErrorText(status));
        for (int w = 0; w < members.count(); ++w) {
            m_rows.push_back(wellRow(listName, members[w]));
            listedKeys.insert(owText(members[w].wellKey));
        }
        zrProgressBarMgr->incrementProgressBar(listBar, 1);
    }
    zrProgressBarMgr->closeProgressBar(listBar);

    const int checkBar = zrProgressBarMgr->createProgressBar(
        wells.count(), QStringLiteral("Checking Wells not assigned to any Well List"), parentProgressId, true, false);
    for (int i = 0; i < wells.count(); ++i) {
        if (zrProgressBarMgr->isProgressBarCancelled(parentProgressId))
            break;
        if (!listedKeys.contains(owText(wells[i].wellKey)))
            m_rows.push_back(wellRow(QStringLiteral("NONE"), wells[i]));
        zrProgressBarMgr->incrementProgressBar(checkBar, 1);
    }
    zrProgressBarMgr->closeProgressBar(checkBar);
}

void ZROpenworksWellModel::appendWell(const QString& listName, const gdiWell_t& well)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(wellRow(listName, well));
    endInsertRows();
}
