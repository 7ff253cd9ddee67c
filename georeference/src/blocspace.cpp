#include "blocspace.h"

#include "zrassert.h"
#include "zrxmltools.h"

namespace georef
{

namespace
{

void readSize(const QDomElement& element, const QString& name, int* size)
{
    if (ZRXmlTools::readValue(element, name).trimmed().isEmpty())
        return;
    ZRXmlTools::readInt(element, name, size);
}

} // namespace

BlocSpace::BlocSpace(int dimx, int dimy, int dimz) : m_dimx(dimx), m_dimy(dimy), m_dimz(dimz) {}

BlocSpace::~BlocSpace() = default;

void BlocSpace::resize(int dimx, int dimy, int dimz)
{
    m_dimx = dimx;
    m_dimy = dimy;
    m_dimz = dimz;
}

void BlocSpace::setFromBlocToWorldMatrix(const Matrix4& matrix)
{
    m_fromBlocToWorld = matrix;
    m_fromWorldToBloc = matrix.inverted();
}

void BlocSpace::storeInitialValue()
{
    m_initialValue = BlocSpaceInitValue(m_fromBlocToWorld, m_srdValue, m_units);
}

Matrix4 BlocSpace::matrixFromFrames(const core::vec3& a0, const core::vec3& a1, const core::vec3& a2,
                                    const core::vec3& a3, const core::vec3& b0, const core::vec3& b1,
                                    const core::vec3& b2, const core::vec3& b3, bool* degenerate)
{
    constexpr double minimumLength = 1e-6;
    const core::vec3 axis1 = a1 - a0;
    const core::vec3 axis2 = a2 - a0;
    const core::vec3 axis3 = a3 - a0;
    const bool flat = axis1.length() <= minimumLength || axis2.length() <= minimumLength
        || axis3.length() <= minimumLength;
    if (degenerate)
        *degenerate = flat;
    if (flat)
        return Matrix4::identity();

    const Matrix4 fromUnitToA = Matrix4::fromColumns(axis1, axis2, axis3, a0);
    const Matrix4 fromUnitToB = Matrix4::fromColumns(b1 - b0, b2 - b0, b3 - b0, b0);
    bool invertible = false;
    const Matrix4 fromAToUnit = fromUnitToA.inverted(&invertible);
    if (!invertible)
        return fromUnitToB;
    return fromUnitToB * fromAToUnit;
}

void BlocSpace::writeSizes(QDomDocument& document, QDomElement& element) const
{
    ZRXmlTools::writeInt(document, element, QStringLiteral("dimx"), m_dimx);
    ZRXmlTools::writeInt(document, element, QStringLiteral("dimy"), m_dimy);
    ZRXmlTools::writeInt(document, element, QStringLiteral("dimz"), m_dimz);
}

void BlocSpace::writeMatrices(QDomDocument& document, QDomElement& element) const
{
    ZRXmlTools::writeMatrix(document, element, QStringLiteral("fromBlocToWorldMatrix"), m_fromBlocToWorld.values());
    ZRXmlTools::writeMatrix(document, element, QStringLiteral("fromBlocToSurveyMatrix"), m_fromBlocToSurvey.values());
}

void BlocSpace::writeInitialValue(QDomDocument& document, QDomElement& element) const
{
    if (m_initialValue)
        m_initialValue->toXml(document, element);
}

void BlocSpace::writeUnits(QDomDocument& document, QDomElement& element) const
{
    m_units.toXml(document, element);
}

QDomElement BlocSpace::toXml(QDomDocument& document, QDomElement& parent, const QString& tagName) const
{
    QDomElement element = document.createElement(tagName);
    parent.appendChild(element);
    writeSizes(document, element);
    writeMatrices(document, element);
    ZRXmlTools::writeDouble(document, element, QStringLiteral("SRDValue"), m_srdValue);
    writeInitialValue(document, element);
    writeUnits(document, element);
    return element;
}

void BlocSpace::readGeometry(const QDomElement& element)
{
    ZRXmlTools::Matrix values{};
    if (ZRXmlTools::readMatrix(element, QStringLiteral("fromBlocToWorldMatrix"), &values))
        setFromBlocToWorldMatrix(Matrix4(values));
    if (ZRXmlTools::readMatrix(element, QStringLiteral("fromBlocToSurveyMatrix"), &values))
        setFromBlocToSurveyMatrix(Matrix4(values));

    const QDomElement initial = element.firstChildElement(QStringLiteral("blockSpaceInitValue"));
    if (!initial.isNull()) {
        BlocSpaceInitValue value;
        value.fromXml(initial);
        m_initialValue = value;
    } else if (ZRXmlTools::readMatrix(element, QStringLiteral("oldFromBlocToWorldMatrix"), &values)) {
        m_initialValue = BlocSpaceInitValue(Matrix4(values), m_srdValue, m_units);
    }

    if (!ZRXmlTools::readValue(element, QStringLiteral("SRDValue")).trimmed().isEmpty())
        ZRXmlTools::readDouble(element, QStringLiteral("SRDValue"), &m_srdValue);
    const QDomElement units = element.firstChildElement(m_units.tagName());
    if (!units.isNull())
        m_units.fromXml(units);
}

bool BlocSpace::fromXml(const QDomElement& element)
{
    if (element.isNull()) {
        ZR_ASSERT_FAILED("element != nullptr");
        return false;
    }
    int dimx = m_dimx, dimy = m_dimy, dimz = m_dimz;
    readSize(element, QStringLiteral("dimx"), &dimx);
    readSize(element, QStringLiteral("dimy"), &dimy);
    readSize(element, QStringLiteral("dimz"), &dimz);
    resize(dimx, dimy, dimz);
    readGeometry(element);
    return true;
}

} // namespace georef
