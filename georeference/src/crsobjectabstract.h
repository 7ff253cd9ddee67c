#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

namespace georef
{

/// Common base of the coordinate reference object and the bloc space: both
/// know their XML element name and read and write their XML form.
class CrsObjectAbstract
{
public:
    virtual ~CrsObjectAbstract() = default;

    /// Default XML element name of the object.
    virtual QString tagName() const = 0;
    /// Appends the object's element named `tagName` to `parent` and returns it.
    virtual QDomElement toXml(QDomDocument& document, QDomElement& parent, const QString& tagName) const = 0;
    /// Reads the object's element; missing children leave their fields unchanged.
    virtual bool fromXml(const QDomElement& element) = 0;
};

} // namespace georef
