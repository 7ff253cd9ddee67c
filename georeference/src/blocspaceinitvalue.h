#pragma once

#include "matrix4.h"
#include "unitobject.h"

namespace georef
{

/// The world matrix, SRD value and units object that a bloc space had when it
/// was created, kept for restoring.
class BlocSpaceInitValue
{
public:
    /// The units object kept with the initial value; its element is "InitUnitsObject".
    class ZRInitUnitObject : public UnitObject
    {
    public:
        ZRInitUnitObject() = default;
        explicit ZRInitUnitObject(const UnitObject& units) : UnitObject(units) {}
        QString tagName() const override { return QStringLiteral("InitUnitsObject"); }
    };

    BlocSpaceInitValue() = default;
    BlocSpaceInitValue(const Matrix4& worldMatrix, double srdValue, const UnitObject& units)
        : m_worldMatrix(worldMatrix), m_srdValue(srdValue), m_units(units)
    {
    }

    const Matrix4& worldMatrix() const { return m_worldMatrix; }
    double srdValue() const { return m_srdValue; }
    const ZRInitUnitObject& unitsObject() const { return m_units; }

    bool operator==(const BlocSpaceInitValue& other) const
    {
        return m_worldMatrix == other.m_worldMatrix && m_srdValue == other.m_srdValue && m_units == other.m_units;
    }

    /// Appends "blockSpaceInitValue" with "blockSpaceInitWorldMatrix",
    /// "blockSpaceInitSRDValue" and "InitUnitsObject".
    QDomElement toXml(QDomDocument& document, QDomElement& parent) const;
    /// Reads "blockSpaceInitValue"; "oldFromBlocToWorldMatrix" is accepted as the world matrix.
    bool fromXml(const QDomElement& element);

private:
    Matrix4 m_worldMatrix;
    double m_srdValue = 0.0;
    ZRInitUnitObject m_units;
};

} // namespace georef
