#pragma once

#include "blocspaceinitvalue.h"
#include "crsobjectabstract.h"
#include "matrix4.h"
#include "unitobject.h"
#include "vec3.h"

#include <optional>

namespace georef
{

/// The grid geometry of a volume or a horizon: dimx × dimy × dimz cells (i
/// along traces, j vertical, k along lines), an affine map from grid indices to
/// world coordinates and one to survey annotation (trace, vertical value, line),
/// the seismic reference datum and the units object with the CRS.
class BlocSpace : public CrsObjectAbstract
{
public:
    BlocSpace(int dimx = 1, int dimy = 1, int dimz = 1);
    ~BlocSpace() override;
    BlocSpace(const BlocSpace&) = default;
    BlocSpace& operator=(const BlocSpace&) = default;

    int dimx() const { return m_dimx; }
    int dimy() const { return m_dimy; }
    int dimz() const { return m_dimz; }
    /// Changes the grid sizes only (the matrices stay).
    virtual void resize(int dimx, int dimy, int dimz);

    const Matrix4& fromBlocToWorldMatrix() const { return m_fromBlocToWorld; }
    const Matrix4& fromWorldToBlocMatrix() const { return m_fromWorldToBloc; }
    /// Sets the world matrix and recomputes its inverse (identity when singular).
    void setFromBlocToWorldMatrix(const Matrix4& matrix);

    virtual const Matrix4& fromBlocToSurveyMatrix() const { return m_fromBlocToSurvey; }
    virtual void setFromBlocToSurveyMatrix(const Matrix4& matrix) { m_fromBlocToSurvey = matrix; }
    virtual void setUnitsObject(const UnitObject& units) { m_units = units; }
    /// Host unit index of the vertical axis.
    virtual int verticalUnit() const { return m_units.verticalUnit(); }
    /// Sets the CRS of the units object (initial and current).
    virtual void setCrs(const Crs& crs) { m_units.setCrs(crs); }
    /// "ZRBlocSpace".
    QString tagName() const override { return QStringLiteral("ZRBlocSpace"); }

    const UnitObject& unitsObject() const { return m_units; }
    const Crs& crs() const { return m_units.crs(); }

    double SRDValue() const { return m_srdValue; }
    void setSRDValue(double value) { m_srdValue = value; }

    bool hasInitialValue() const { return m_initialValue.has_value(); }
    const std::optional<BlocSpaceInitValue>& initialValue() const { return m_initialValue; }
    /// Keeps the current world matrix, SRD value and units object as the initial value.
    void storeInitialValue();
    void setInitialValue(const std::optional<BlocSpaceInitValue>& value) { m_initialValue = value; }

    core::vec3 blocToWorld(const core::vec3& bloc) const { return m_fromBlocToWorld.map(bloc); }
    core::vec3 worldToBloc(const core::vec3& world) const { return m_fromWorldToBloc.map(world); }
    core::vec3 blocToSurvey(const core::vec3& bloc) const { return m_fromBlocToSurvey.map(bloc); }

    /// The affine matrix mapping frame a (origin a0, axis ends a1, a2, a3) onto
    /// frame b. A source axis of length 1e-6 or less gives the identity and sets
    /// `degenerate`; a singular source frame is treated as the identity.
    static Matrix4 matrixFromFrames(const core::vec3& a0, const core::vec3& a1, const core::vec3& a2,
                                    const core::vec3& a3, const core::vec3& b0, const core::vec3& b1,
                                    const core::vec3& b2, const core::vec3& b3, bool* degenerate = nullptr);

    /// Children in order: "dimx", "dimy", "dimz", "fromBlocToWorldMatrix",
    /// "fromBlocToSurveyMatrix", "SRDValue", ["blockSpaceInitValue"], "unitsObject".
    QDomElement toXml(QDomDocument& document, QDomElement& parent, const QString& tagName) const override;
    /// Reads the element written by toXml. A null element is a programming error
    /// (assertion line "element != nullptr") and returns false.
    bool fromXml(const QDomElement& element) override;

protected:
    /// Writers of the individual parts, for elements that interleave other fields.
    void writeSizes(QDomDocument& document, QDomElement& element) const;
    void writeMatrices(QDomDocument& document, QDomElement& element) const;
    void writeInitialValue(QDomDocument& document, QDomElement& element) const;
    void writeUnits(QDomDocument& document, QDomElement& element) const;
    /// Reads the matrices, the initial value, "SRDValue" and "unitsObject" (not the sizes).
    void readGeometry(const QDomElement& element);

private:
    int m_dimx;
    int m_dimy;
    int m_dimz;
    Matrix4 m_fromBlocToWorld;
    Matrix4 m_fromWorldToBloc;
    Matrix4 m_fromBlocToSurvey;
    double m_srdValue = 0.0;
    UnitObject m_units;
    std::optional<BlocSpaceInitValue> m_initialValue;
};

} // namespace georef
