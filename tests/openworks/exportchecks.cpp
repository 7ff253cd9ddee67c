#include "exportchecks.h"

#include "owdevkit.h"
#include "unittable.h"
#include "zr3dhorizon.h"

#include <QStringList>

#include <cstring>
#include <vector>

namespace
{

template <typename Record>
std::vector<Record> readAll(int classId)
{
    int count = 0;
    void* list = nullptr;
    std::vector<Record> records;
    if (gdiReadSet(classId, &count, &list) == 0 && list)
        records.assign(static_cast<Record*>(list), static_cast<Record*>(list) + count);
    if (list)
        gdiFree(list);
    return records;
}

QString textOf(const char* field, std::size_t size)
{
    return QString::fromLocal8Bit(field, int(strnlen(field, size)));
}

} // namespace

RecordCounts RecordCounts::now()
{
    RecordCounts result;
    for (int classId : {GDI_CLASS_HORIZON_CATALOG, GDI_CLASS_HORIZON_DATA, GDI_CLASS_FAULT, GDI_CLASS_FAULT_PLANE,
                        GDI_CLASS_FAULT_SEGMENT, GDI_CLASS_3D_SURVEY, GDI_CLASS_SEISMIC_DATA_SET}) {
        int count = 0;
        void* list = nullptr;
        const int status = gdiReadSet(classId, &count, &list);
        if (list)
            gdiFree(list);
        result.counts.insert(classId, status == 0 ? count : 0);
    }
    return result;
}

QString RecordCounts::toString() const
{
    QStringList parts;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        parts.append(QStringLiteral("%1: %2").arg(it.key()).arg(it.value()));
    return parts.join(QStringLiteral(", "));
}

QString RecordCounts::differenceFrom(const RecordCounts& earlier) const
{
    QStringList parts;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        const int difference = it.value() - earlier.of(it.key());
        if (difference != 0)
            parts.append(QStringLiteral("%1: %2%3").arg(it.key()).arg(difference > 0 ? "+" : "").arg(difference));
    }
    return parts.join(QStringLiteral(", "));
}

bool writeSyntheticHorizon(const QString& path, int dimx, int dimz, double x0, double y0, double dx, double dy,
                           const std::function<float(int i, int j)>& value, int verticalUnit)
{
    georef::BlocSpace geometry(dimx, 1, dimz);
    georef::Matrix4::Values world{};
    world[0] = dx;
    world[3] = x0;
    world[5] = 1.0;
    world[10] = dy;
    world[11] = y0;
    world[15] = 1.0;
    geometry.setFromBlocToWorldMatrix(georef::Matrix4(world));
    georef::UnitObject units;
    units.setInitialVerticalUnit(verticalUnit);
    units.setVerticalUnit(verticalUnit);
    geometry.setUnitsObject(units);
    std::vector<core::vec3> points;
    for (int j = 0; j < dimz; ++j)
        for (int i = 0; i < dimx; ++i)
            points.emplace_back(x0 + dx * i, double(value(i, j)), y0 + dy * j);
    ZR3DHorizon horizon;
    if (!horizon.buildFromPoints(points, geometry, 3))
        return false;
    return horizon.write(path);
}

int newestHorizonId(const QString& name)
{
    int id = 0;
    for (const gdiHorizonCatalog_t& record : readAll<gdiHorizonCatalog_t>(GDI_CLASS_HORIZON_CATALOG))
        if (textOf(record.name, sizeof record.name) == name)
            id = std::max(id, int(record.id));
    return id;
}

QList<int> faultPlaneIdsOf(const QString& name)
{
    QList<int> ids;
    for (const gdiFaultPlane_t& record : readAll<gdiFaultPlane_t>(GDI_CLASS_FAULT_PLANE))
        if (textOf(record.name, sizeof record.name) == name)
            ids.append(record.id);
    return ids;
}
