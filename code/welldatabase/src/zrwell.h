#pragma once

#include "zrwelldbcrs.h"
#include "zrwelldbobject.h"

#include <optional>

class ZRRefSet;

/// One well (a row of "WELL_TABLE"). Owned by ZRLogDatabase.
class ZRWell : public ZRWellDbObject
{
public:
    ZRWell(int id, const QString& name) : ZRWellDbObject(id, name) {}

    const QString& uwi() const { return m_uwi; }
    void setUwi(const QString& uwi) { setIfChanged(m_uwi, uwi); }
    double x() const { return m_x; }
    double y() const { return m_y; }
    void setX(double x) { setIfChanged(m_x, x); }
    void setY(double y) { setIfChanged(m_y, y); }
    double kb() const { return m_kb; }
    void setKb(double kb) { setIfChanged(m_kb, kb); }
    int kbUnit() const { return m_kbUnit; }
    void setKbUnit(int unit) { setIfChanged(m_kbUnit, unit); }
    std::optional<int> status() const { return m_status; }
    void setStatus(std::optional<int> status) { setIfChanged(m_status, status); }
    const QString& color() const { return m_color; }
    void setColor(const QString& color) { setIfChanged(m_color, color); }
    std::optional<int> originalSpatialUnit() const { return m_originalSpatialUnit; }
    void setOriginalSpatialUnit(std::optional<int> unit) { setIfChanged(m_originalSpatialUnit, unit); }

    /// The current time-depth reference set (one of the well's own sets), or null.
    ZRRefSet* currentRefSet() const { return m_currentRefSet; }
    void setCurrentRefSet(ZRRefSet* refSet) { setIfChanged(m_currentRefSet, refSet); }

    /// The project's coordinate reference, given at creation.
    const ZRWellDbCrs& crs() const { return m_crs; }
    void setCrs(const ZRWellDbCrs& crs) { m_crs = crs; }
    const ZRWellDbCrs& originalCrs() const { return m_originalCrs; }
    void setOriginalCrs(const ZRWellDbCrs& crs) { m_originalCrs = crs; }

private:
    QString m_uwi;
    double m_x = 0.0;
    double m_y = 0.0;
    double m_kb = 0.0;
    int m_kbUnit = 0;
    std::optional<int> m_status;
    QString m_color;
    std::optional<int> m_originalSpatialUnit;
    ZRRefSet* m_currentRefSet = nullptr;
    ZRWellDbCrs m_crs;
    ZRWellDbCrs m_originalCrs;
};
