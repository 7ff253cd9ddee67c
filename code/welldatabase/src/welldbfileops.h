#pragma once

#include <QString>

namespace welldb
{
/// Renames from onto to in one step, replacing an existing to: a reader sees
/// either the old or the new file, never a missing or partial one.
bool replaceFile(const QString& from, const QString& to);
} // namespace welldb
