#pragma once

#include "zrset.h"

/// A time-depth reference set (set type 1) with its shifts and axis kinds.
class ZRRefSet : public ZRSet
{
public:
    /// Creation values: shifts 0, DEPTH1_TYPE 0, DEPTH2_TYPE depth2Type,
    /// DEVIATION_TYPE 1, DEVIATION_METHOD 2, CHECKSHOT_TYPE 0.
    ZRRefSet(int id, const QString& name, ZRWell* well, int depth2Type)
        : ZRSet(id, name, well, RefSetType), m_depth2Type(depth2Type)
    {
    }

    double shiftDepth() const { return m_shiftDepth; }
    void setShiftDepth(double shift) { setIfChanged(m_shiftDepth, shift); }
    double twtShifting() const { return m_twtShifting; }
    void setTwtShifting(double shift) { setIfChanged(m_twtShifting, shift); }
    qint32 depth1Type() const { return m_depth1Type; }
    void setDepth1Type(qint32 type) { setIfChanged(m_depth1Type, type); }
    qint32 depth2Type() const { return m_depth2Type; }
    void setDepth2Type(qint32 type) { setIfChanged(m_depth2Type, type); }
    qint32 deviationType() const { return m_deviationType; }
    void setDeviationType(qint32 type) { setIfChanged(m_deviationType, type); }
    qint32 deviationMethod() const { return m_deviationMethod; }
    void setDeviationMethod(qint32 method) { setIfChanged(m_deviationMethod, method); }
    qint32 checkShotType() const { return m_checkShotType; }
    void setCheckShotType(qint32 type) { setIfChanged(m_checkShotType, type); }

private:
    double m_shiftDepth = 0.0;
    double m_twtShifting = 0.0;
    qint32 m_depth1Type = 0;
    qint32 m_depth2Type = 0;
    qint32 m_deviationType = 1;
    qint32 m_deviationMethod = 2;
    qint32 m_checkShotType = 0;
};
