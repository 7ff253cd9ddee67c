#include "blocspaceinitvalue.h"

#include "zrxmltools.h"

namespace georef
{

QDomElement BlocSpaceInitValue::toXml(QDomDocument& document, QDomElement& parent) const
{
    QDomElement element = document.createElement(QStringLiteral("blockSpaceInitValue"));
    parent.appendChild(element);
    ZRXmlTools::writeMatrix(document, element, QStringLiteral("blockSpaceInitWorldMatrix"), m_worldMatrix.values());
    ZRXmlTools::writeDouble(document, element, QStringLiteral("blockSpaceInitSRDValue"), m_srdValue);
    m_units.toXml(document, element);
    return element;
}

bool BlocSpaceInitValue::fromXml(const QDomElement& element)
{
    if (element.isNull())
        return false;
    ZRXmlTools::Matrix values{};
    if (ZRXmlTools::readMatrix(element, QStringLiteral("blockSpaceInitWorldMatrix"), &values)
        || ZRXmlTools::readMatrix(element, QStringLiteral("oldFromBlocToWorldMatrix"), &values))
        m_worldMatrix = Matrix4(values);
    double srd = 0.0;
    if (ZRXmlTools::readDouble(element, QStringLiteral("blockSpaceInitSRDValue"), &srd))
        m_srdValue = srd;
    const QDomElement units = element.firstChildElement(m_units.tagName());
    if (!units.isNull())
        m_units.fromXml(units);
    return true;
}

} // namespace georef
