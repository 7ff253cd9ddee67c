#include "crs.h"

#include "zrxmltools.h"

#include <proj.h>

#include <QRegularExpression>

#include <cmath>
#include <mutex>

namespace georef
{

namespace
{

struct ContextDeleter
{
    void operator()(PJ_CONTEXT* context) const { proj_context_destroy(context); }
};
struct PjDeleter
{
    void operator()(PJ* pj) const { proj_destroy(pj); }
};
using ContextPtr = std::unique_ptr<PJ_CONTEXT, ContextDeleter>;
using PjPtr = std::unique_ptr<PJ, PjDeleter>;

ContextPtr newContext()
{
    ContextPtr context(proj_context_create());
    if (context) {
        proj_log_level(context.get(), PJ_LOG_NONE);
        // "+init=epsg:NNNN" definitions are read as the PROJ.4 library read them.
        proj_context_use_proj4_init_rules(context.get(), 1);
    }
    return context;
}

/// A PROJ.4 definition becomes a CRS object only with "+type=crs".
QByteArray projInput(const QString& stripped)
{
    QString text = stripped.simplified();
    if (text.contains(QLatin1Char('+')) && !text.contains(QLatin1String("type=crs")))
        text += QLatin1String(" +type=crs");
    return text.toUtf8();
}

PjPtr createCrs(PJ_CONTEXT* context, const QString& definition)
{
    if (!context || definition.trimmed().isEmpty())
        return PjPtr();
    PjPtr pj(proj_create(context, projInput(Crs::strippedDefinition(definition)).constData()));
    if (pj && !proj_is_crs(pj.get()))
        pj.reset();
    return pj;
}

bool isGeographicType(PJ_TYPE type)
{
    return type == PJ_TYPE_GEOGRAPHIC_CRS || type == PJ_TYPE_GEOGRAPHIC_2D_CRS || type == PJ_TYPE_GEOGRAPHIC_3D_CRS;
}

std::mutex& defaultCrsMutex()
{
    static std::mutex mutex;
    return mutex;
}

Crs& defaultCrsStorage()
{
    static Crs crs;
    return crs;
}

} // namespace

class Crs::ProjPJWrapper
{
public:
    explicit ProjPJWrapper(const QString& definition) : m_context(newContext())
    {
        m_pj = createCrs(m_context.get(), definition);
        if (!m_pj)
            return;
        PJ_TYPE type = proj_get_type(m_pj.get());
        if (type == PJ_TYPE_BOUND_CRS) {
            PjPtr source(proj_get_source_crs(m_context.get(), m_pj.get()));
            if (source)
                type = proj_get_type(source.get());
        }
        m_geographic = isGeographicType(type);
    }

    bool isValid() const { return bool(m_pj); }
    bool isGeographic() const { return m_geographic; }

private:
    ContextPtr m_context;
    PjPtr m_pj;
    bool m_geographic = false;
};

Crs::Crs() = default;

Crs::Crs(const QString& definition, const QString& name, const QString& authority, const QString& authorityCode)
    : m_name(name), m_authority(authority), m_authorityCode(authorityCode)
{
    setDefinition(definition);
}

Crs::~Crs() = default;
Crs::Crs(const Crs&) = default;
Crs& Crs::operator=(const Crs&) = default;

Crs Crs::defaultCrs()
{
    std::lock_guard<std::mutex> lock(defaultCrsMutex());
    return defaultCrsStorage();
}

void Crs::setDefaultCrs(const Crs& crs)
{
    std::lock_guard<std::mutex> lock(defaultCrsMutex());
    defaultCrsStorage() = crs;
}

QString Crs::strippedDefinition(const QString& definition)
{
    static const QRegularExpression tokens(QStringLiteral("\\+?to_meter=[^\\s]+|\\+?units=[^\\s]+"));
    QString stripped = definition;
    stripped.remove(tokens);
    return stripped;
}

void Crs::setDefinition(const QString& definition)
{
    m_definition = definition;
    parseDefinition();
    m_pj.reset();
    m_valid = false;
    m_geographic = false;
    if (isEmpty())
        return;
    auto wrapper = std::make_shared<ProjPJWrapper>(definition);
    m_valid = wrapper->isValid();
    m_geographic = wrapper->isGeographic();
    if (m_valid)
        m_pj = wrapper;
}

void Crs::parseDefinition()
{
    m_proj.clear();
    m_datum.clear();
    m_ellps.clear();
    m_towgs84.clear();
    m_units.clear();
    m_zone.clear();
    bool south = false;
    const QStringList tokens = m_definition.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (QString token : tokens) {
        if (token.startsWith(QLatin1Char('+')))
            token.remove(0, 1);
        const int equals = token.indexOf(QLatin1Char('='));
        const QString key = equals < 0 ? token : token.left(equals);
        const QString value = equals < 0 ? QString() : token.mid(equals + 1);
        if (key == QLatin1String("proj"))
            m_proj = value;
        else if (key == QLatin1String("datum"))
            m_datum = value;
        else if (key == QLatin1String("ellps"))
            m_ellps = value;
        else if (key == QLatin1String("towgs84"))
            m_towgs84 = value;
        else if (key == QLatin1String("units"))
            m_units = value;
        else if (key == QLatin1String("zone"))
            m_zone = value;
        else if (key == QLatin1String("south"))
            south = true;
    }
    if (!m_zone.isEmpty())
        m_zone += south ? QLatin1String("S") : QLatin1String("N");
}

QString Crs::displayName() const
{
    if (!isEmpty() && !m_valid)
        return QStringLiteral("Invalid CRS");
    if (m_name.isEmpty())
        return QStringLiteral("Unnamed CRS");
    return m_name;
}

bool Crs::convertPoints(const Crs& target, std::vector<core::vec3>& points, QString* error) const
{
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (*this == target || points.empty())
        return true;
    const QString invalid = QStringLiteral("Invalid CRS conversion from %1 to %2").arg(displayName(), target.displayName());
    if (!m_valid || !target.m_valid)
        return fail(invalid);

    ContextPtr context = newContext();
    PjPtr source = createCrs(context.get(), m_definition);
    PjPtr destination = createCrs(context.get(), target.m_definition);
    if (!source || !destination)
        return fail(invalid);
    PjPtr transform(proj_create_crs_to_crs_from_pj(context.get(), source.get(), destination.get(), nullptr, nullptr));
    if (!transform)
        return fail(QStringLiteral("CRS conversion error: %1")
                        .arg(QString::fromUtf8(proj_context_errno_string(context.get(), proj_context_errno(context.get())))));
    PjPtr normalized(proj_normalize_for_visualization(context.get(), transform.get()));
    if (normalized)
        transform = std::move(normalized);

    const std::size_t stride = sizeof(core::vec3);
    const std::size_t count = points.size();
    proj_trans_generic(transform.get(), PJ_FWD, &points[0].x, stride, count, &points[0].z, stride, count, nullptr, 0, 0,
                       nullptr, 0, 0);
    const int errorNumber = proj_errno(transform.get());
    bool finite = true;
    for (const core::vec3& point : points)
        finite = finite && std::isfinite(point.x) && std::isfinite(point.z) && point.x != HUGE_VAL;
    if (errorNumber != 0 || !finite) {
        const char* text = proj_context_errno_string(context.get(), errorNumber != 0 ? errorNumber : PROJ_ERR_COORD_TRANSFM);
        return fail(QStringLiteral("CRS conversion error: %1").arg(QString::fromUtf8(text ? text : "")));
    }
    return true;
}

bool Crs::operator==(const Crs& other) const
{
    return isNull() == other.isNull() && m_definition == other.m_definition && m_name == other.m_name
        && m_authority == other.m_authority && m_authorityCode == other.m_authorityCode && m_area == other.m_area;
}

QDomElement Crs::toXml(QDomDocument& document, QDomElement& parent, const QString& tagName) const
{
    QDomElement element = document.createElement(tagName);
    parent.appendChild(element);
    ZRXmlTools::writeText(document, element, QStringLiteral("name"), m_name);
    ZRXmlTools::writeText(document, element, QStringLiteral("authority"), m_authority);
    ZRXmlTools::writeText(document, element, QStringLiteral("authorityCode"), m_authorityCode);
    ZRXmlTools::writeText(document, element, QStringLiteral("definition"), m_definition);
    ZRXmlTools::writeRect(document, element, QStringLiteral("area"), m_area);
    return element;
}

bool Crs::fromXml(const QDomElement& element)
{
    if (element.isNull())
        return false;
    if (ZRXmlTools::hasElement(element, QStringLiteral("name")))
        m_name = ZRXmlTools::readValue(element, QStringLiteral("name"));
    if (ZRXmlTools::hasElement(element, QStringLiteral("authority")))
        m_authority = ZRXmlTools::readValue(element, QStringLiteral("authority"));
    if (ZRXmlTools::hasElement(element, QStringLiteral("authorityCode")))
        m_authorityCode = ZRXmlTools::readValue(element, QStringLiteral("authorityCode"));
    if (ZRXmlTools::hasElement(element, QStringLiteral("definition")))
        setDefinition(ZRXmlTools::readValue(element, QStringLiteral("definition")));
    QRectF area;
    if (ZRXmlTools::readRect(element, QStringLiteral("area"), &area))
        m_area = area;
    return true;
}

} // namespace georef
