#include "zropenworkssurfacepickmodel.h"

#include "owguards.h"
#include "zrprogressbarmgr.h"

#include <QBrush>
#include <QColor>


ZROpenworksSurfacePickModel::ZROpenworksSurfacePickModel(QObject* parent)
    : ZROpenworksFixedTableModel(0, {"Name", "Color", "Surface Type", "Strat Column/Surface Age", "Well Count", "Create Date"}, parent)
{
}

QVariant ZROpenworksSurfacePickModel::data(const QModelIndex& index, int role) const
{
    if ((role == Qt::BackgroundRole || role == Qt::ForegroundRole) && index.isValid() && index.column() == 1
        && index.row() >= 0 && index.row() < rowCount()) {
        const QVariant value = m_rows[size_t(index.row())][1];
        const QColor color = value.canConvert<QColor>() ? value.value<QColor>() : QColor(value.toString());
        return QBrush(color, Qt::SolidPattern);
    }
    return ZROpenworksFixedTableModel::data(index, role);
}

bool ZROpenworksSurfacePickModel::isHiddenColumn(int) const
{
    return false;
}

void ZROpenworksSurfacePickModel::loadFromOpenworks(int parentProgressId)
{
    OwRecordList<gdiSurface_t> surfaces(GDI_CLASS_SURFACE);
    const int status = surfaces.readSet();
    // Here "no records" is reported like any other failure.
    if (status != 0) {
        setPageMessage(owErrorText(status));
        return;
    }
    if (surfaces.count() == 0) {
        setPageMessage(QStringLiteral("No surface picks found"));
        return;
    }
    m_rows.reserve(size_t(surfaces.count()));
    const int bar = zrProgressBarMgr->createProgressBar(surfaces.count(), QStringLiteral("Loading Surface Picks"),
                                                        parentProgressId, true, false);
    for (int i = 0; i < surfaces.count(); ++i) {
        if (zrProgressBarMgr->isProgressBarCancelled(parentProgressId))
            break;
        const gdiSurface_t& surface = surfaces[i];
        QString stratColumn = owText(surface.stratColumn);
        if (stratColumn == QLatin1String("UNKNOWN"))
            stratColumn = QStringLiteral("GLOBAL");

        QString stratAndAge = stratColumn;
        gdiHorizonParams_t params;
        gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &params);
        std::memcpy(params.name, surface.name, sizeof params.name);
        std::memcpy(params.interpreter, surface.interpreter, sizeof params.interpreter);
        if (gdiRead(GDI_CLASS_HORIZON_PARAMS, &params) == 0)
            stratAndAge = QStringLiteral("(%1, %2)").arg(stratColumn).arg(params.age);

        m_rows.push_back(Row{owText(surface.name), QColor(surface.red, surface.green, surface.blue),
                             owText(surface.surfaceType), stratAndAge, int(surface.wellCount),
                             owText(surface.createDate)});
        zrProgressBarMgr->incrementProgressBar(bar, 1);
    }
    zrProgressBarMgr->closeProgressBar(bar);
}
