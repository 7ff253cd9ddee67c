#pragma once

#include "crs.h"
#include "multiarray.h"
#include "vec3.h"

#include <QString>
#include <QStringList>

#include <memory>

/// The host faults library's calls on fault-stick files (object type 28).
///
/// A stick array is a core::MultiArray of host points (map x, vertical value,
/// map y); inside one array the point (−9999.0, −9999.0, −9999.0) separates
/// two sticks. The calls are static and keep no state.
class ZRFaultApiFunctions
{
public:
    /// Writes a fault-stick file at path (created or replaced): the names (the
    /// fault's names, in order), the stick arrays as given (separators
    /// included), the vertical domain (time when isTime, else depth) and the
    /// coordinate reference. True when the file was written completely;
    /// failures are sent on the event bus (draw type 2).
    static bool write3DFaultStick(const QString& path, const QStringList& names,
                                  core::MultiArray<core::vec3>& sticks, bool isTime, const georef::Crs& crs);

    /// The stick arrays of a file, or null when it cannot be read (with a
    /// message on the event bus, draw type 2, when reportErrors). The caller
    /// owns the result.
    static std::unique_ptr<core::MultiArray<core::vec3>> readFaultStickPolyLine(const QString& path,
                                                                               bool reportErrors);

    /// True when the file's vertical domain is time; false for depth and for
    /// a file that cannot be read (with a message when reportErrors).
    static bool isFaultStickDomainInTime(const QString& path, bool reportErrors);
};
