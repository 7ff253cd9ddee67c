#include "unitobject.h"

#include "zrxmltools.h"

namespace georef
{

namespace
{

void readUnit(const QDomElement& element, const QString& name, int* unit)
{
    if (ZRXmlTools::hasElement(element, name))
        *unit = UnitTable::unitFromName(ZRXmlTools::readValue(element, name));
}

} // namespace

UnitObject::UnitObject() : m_initialCrs(Crs::defaultCrs()), m_crs(m_initialCrs) {}

UnitObject::~UnitObject() = default;

QString UnitObject::tagName() const
{
    return QStringLiteral("unitsObject");
}

void UnitObject::setCrs(const Crs& crs)
{
    m_initialCrs = crs;
    m_crs = crs;
}

void UnitObject::setInitialVerticalUnit(int unit)
{
    m_initialVerticalUnit = unit;
    m_verticalUnit = UnitTable::isTimeUnit(unit) ? Millisecond : Meter;
}

bool UnitObject::operator==(const UnitObject& other) const
{
    return m_initialCrs == other.m_initialCrs && m_crs == other.m_crs
        && m_initialSpatialUnit == other.m_initialSpatialUnit && m_spatialUnit == other.m_spatialUnit
        && m_initialVerticalUnit == other.m_initialVerticalUnit && m_verticalUnit == other.m_verticalUnit;
}

QDomElement UnitObject::toXml(QDomDocument& document, QDomElement& parent) const
{
    QDomElement element = document.createElement(tagName());
    parent.appendChild(element);
    ZRXmlTools::writeText(document, element, QStringLiteral("initialSpatialUnit"), UnitTable::unitName(m_initialSpatialUnit));
    ZRXmlTools::writeText(document, element, QStringLiteral("initialVerticalUnit"), UnitTable::unitName(m_initialVerticalUnit));
    m_initialCrs.toXml(document, element, QStringLiteral("initialCrs"));
    ZRXmlTools::writeText(document, element, QStringLiteral("spatialUnit"), UnitTable::unitName(m_spatialUnit));
    ZRXmlTools::writeText(document, element, QStringLiteral("verticalUnit"), UnitTable::unitName(m_verticalUnit));
    m_crs.toXml(document, element, QStringLiteral("crs"));
    return element;
}

bool UnitObject::fromXml(const QDomElement& element)
{
    if (element.isNull())
        return false;
    readUnit(element, QStringLiteral("initialSpatialUnit"), &m_initialSpatialUnit);
    readUnit(element, QStringLiteral("initialVerticalUnit"), &m_initialVerticalUnit);
    readUnit(element, QStringLiteral("spatialUnit"), &m_spatialUnit);
    readUnit(element, QStringLiteral("verticalUnit"), &m_verticalUnit);
    const QDomElement initialCrs = element.firstChildElement(QStringLiteral("initialCrs"));
    if (!initialCrs.isNull())
        m_initialCrs.fromXml(initialCrs);
    const QDomElement crs = element.firstChildElement(QStringLiteral("crs"));
    if (!crs.isNull())
        m_crs.fromXml(crs);
    return true;
}

} // namespace georef
