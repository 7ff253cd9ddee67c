#pragma once

#include <QString>

/// Base of the host's stored objects: the host object type (descriptor folder id)
/// under which the object is kept.
class ZRObject
{
public:
    virtual ~ZRObject() = default;
    virtual int objectType() const = 0;
};
