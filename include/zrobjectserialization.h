#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

/// What an object stored in a host object file gives the header writer.
class ZRObjectSerialization
{
public:
    virtual ~ZRObjectSerialization() = default;

    /// The object's own element (not yet attached to `document`'s tree).
    virtual QDomElement toXml(QDomDocument& document) const = 0;
    /// The type name written in the "type" attribute of the "object" element.
    virtual QString typeName() const = 0;
};
