#pragma once

#include "zrwelldbcrs.h"
#include "zrwelldbobject.h"

class ZRWell;

/// A set of one well (a row of "SET_TABLE"): a log set, a marker set or, as
/// ZRRefSet, a time-depth reference set. Owned by ZRLogDatabase.
class ZRSet : public ZRWellDbObject
{
public:
    enum SetType
    {
        RefSetType = 1,
        MarkerSetType = 2,
        LogSetType = 3
    };

    ZRSet(int id, const QString& name, ZRWell* well, int setType)
        : ZRWellDbObject(id, name), m_well(well), m_setType(setType)
    {
    }

    /// The owning well; null for a stored set whose well is missing.
    ZRWell* well() const { return m_well; }
    int setType() const { return m_setType; }

    const ZRWellDbCrs& crs() const { return m_crs; }
    void setCrs(const ZRWellDbCrs& crs) { m_crs = crs; }
    const ZRWellDbCrs& originalCrs() const { return m_originalCrs; }
    void setOriginalCrs(const ZRWellDbCrs& crs) { m_originalCrs = crs; }

    /// Marker sets: their marker logs changed since the marker tops and bottoms were built.
    bool markersOutdated() const { return m_markersOutdated; }
    void setMarkersOutdated(bool outdated) { m_markersOutdated = outdated; }

private:
    ZRWell* m_well;
    int m_setType;
    ZRWellDbCrs m_crs;
    ZRWellDbCrs m_originalCrs;
    bool m_markersOutdated = false;
};
