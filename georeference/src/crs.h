#pragma once

#include "crsobjectabstract.h"
#include "vec3.h"

#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

namespace georef
{

/// A coordinate reference system: a PROJ.4 definition with its name, authority,
/// code and area of use. The PROJ object is built from the definition (after
/// every to_meter and units token is removed) and shared between copies.
class Crs : public CrsObjectAbstract
{
public:
    /// Owns one PROJ context and the PROJ object made from a definition.
    class ProjPJWrapper;

    /// The empty CRS (no definition).
    Crs();
    explicit Crs(const QString& definition, const QString& name = QString(), const QString& authority = QString(),
                 const QString& authorityCode = QString());
    ~Crs() override;
    Crs(const Crs&);
    Crs& operator=(const Crs&);

    /// The process-wide default CRS (initially the empty CRS).
    static Crs defaultCrs();
    static void setDefaultCrs(const Crs& crs);

    /// Definition with the to_meter and units tokens removed, as given to PROJ.
    static QString strippedDefinition(const QString& definition);

    void setDefinition(const QString& definition);
    const QString& definition() const { return m_definition; }
    void setName(const QString& name) { m_name = name; }
    const QString& name() const { return m_name; }
    void setAuthority(const QString& authority) { m_authority = authority; }
    const QString& authority() const { return m_authority; }
    void setAuthorityCode(const QString& code) { m_authorityCode = code; }
    const QString& authorityCode() const { return m_authorityCode; }
    void setArea(const QRectF& area) { m_area = area; }
    const QRectF& area() const { return m_area; }

    /// PROJ parameters parsed from the definition.
    const QString& proj() const { return m_proj; }
    const QString& datum() const { return m_datum; }
    const QString& ellps() const { return m_ellps; }
    const QString& towgs84() const { return m_towgs84; }
    const QString& units() const { return m_units; }
    /// The zone number followed by "N" or "S" ("+south" given); empty without a zone.
    const QString& zone() const { return m_zone; }

    /// True when the object stands for the absence of a CRS.
    virtual bool isNull() const { return false; }
    /// True for an empty definition.
    bool isEmpty() const { return m_definition.trimmed().isEmpty(); }
    /// True when PROJ accepted the definition.
    bool isValid() const { return m_valid; }
    /// True when the CRS is geographic (longitude, latitude).
    bool isGeographic() const { return m_geographic; }

    /// The name, "Unnamed CRS" when it has none, "Invalid CRS" for a definition PROJ refused.
    QString displayName() const;

    /// Converts the map coordinates (x, z) of each point from this CRS to `target`
    /// in place (the vertical slot y is left alone). On failure returns false with
    /// "Invalid CRS conversion from %1 to %2" or "CRS conversion error: %1" in `error`.
    bool convertPoints(const Crs& target, std::vector<core::vec3>& points, QString* error) const;

    bool operator==(const Crs& other) const;
    bool operator!=(const Crs& other) const { return !(*this == other); }

    QString tagName() const override { return QStringLiteral("ZRCrs"); }
    /// Children "name", "authority", "authorityCode", "definition" and the rectangle "area".
    QDomElement toXml(QDomDocument& document, QDomElement& parent, const QString& tagName) const override;
    bool fromXml(const QDomElement& element) override;

private:
    void parseDefinition();

    QString m_definition;
    QString m_name;
    QString m_authority;
    QString m_authorityCode;
    QString m_proj;
    QString m_datum;
    QString m_ellps;
    QString m_towgs84;
    QString m_units;
    QString m_zone;
    QRectF m_area;
    bool m_valid = false;
    bool m_geographic = false;
    std::shared_ptr<ProjPJWrapper> m_pj;
};

/// The CRS object that stands for the absence of a CRS.
class CrsNull : public Crs
{
public:
    CrsNull() = default;
    bool isNull() const override { return true; }
};

} // namespace georef
