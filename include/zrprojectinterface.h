#pragma once

#include <QString>

/// What the data link asks of a host project.
class ZRProjectInterface
{
public:
    virtual ~ZRProjectInterface() = default;

    /// The project folder.
    virtual QString projectPath() const = 0;
    /// The complete base name of the project folder.
    virtual QString projectName() const = 0;
    /// Absolute folder for an object-type id, or empty text.
    virtual QString directoryForType(int objectType) const = 0;
};
