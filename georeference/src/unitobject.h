#pragma once

#include "crs.h"
#include "unittable.h"

#include <QDomDocument>
#include <QDomElement>

namespace georef
{

/// The units and coordinate reference that a bloc space carries: the units and
/// CRS in which the data was delivered (initial) and those currently in force.
/// A new object holds Meter, Millisecond and the process-wide default CRS.
class UnitObject
{
public:
    UnitObject();
    virtual ~UnitObject();
    UnitObject(const UnitObject&) = default;
    UnitObject& operator=(const UnitObject&) = default;

    /// XML element name: "unitsObject".
    virtual QString tagName() const;

    const Crs& initialCrs() const { return m_initialCrs; }
    const Crs& crs() const { return m_crs; }
    /// Sets both the initial and the current CRS.
    void setCrs(const Crs& crs);

    int initialSpatialUnit() const { return m_initialSpatialUnit; }
    int spatialUnit() const { return m_spatialUnit; }
    void setInitialSpatialUnit(int unit) { m_initialSpatialUnit = unit; }
    void setSpatialUnit(int unit) { m_spatialUnit = unit; }

    int initialVerticalUnit() const { return m_initialVerticalUnit; }
    int verticalUnit() const { return m_verticalUnit; }
    /// Also sets the vertical unit: Millisecond for a time unit (or NoUnit), Meter otherwise.
    void setInitialVerticalUnit(int unit);
    void setVerticalUnit(int unit) { m_verticalUnit = unit; }

    bool operator==(const UnitObject& other) const;
    bool operator!=(const UnitObject& other) const { return !(*this == other); }

    /// Appends the element named tagName(): "initialSpatialUnit", "initialVerticalUnit",
    /// "initialCrs", "spatialUnit", "verticalUnit", "crs" (units by name).
    QDomElement toXml(QDomDocument& document, QDomElement& parent) const;
    /// Reads the element; missing children keep their values.
    bool fromXml(const QDomElement& element);

private:
    Crs m_initialCrs;
    Crs m_crs;
    int m_initialSpatialUnit = Meter;
    int m_spatialUnit = Meter;
    int m_initialVerticalUnit = Millisecond;
    int m_verticalUnit = Millisecond;
};

} // namespace georef
