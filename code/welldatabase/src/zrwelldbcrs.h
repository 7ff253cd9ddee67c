#pragma once

#include <memory>

namespace georef
{
class Crs;
}

/// A shared coordinate reference of a well or set. The well database only
/// carries it (it never reads it), so the CRS type stays incomplete here.
using ZRWellDbCrs = std::shared_ptr<const georef::Crs>;
