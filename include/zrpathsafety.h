#pragma once

#include <QString>

/// Checks for names that come from outside (an OpenWorks store, a descriptor)
/// before they become parts of paths.

/// True when `name` is usable as one file name inside a folder: not empty, not
/// "." or "..", without '/' or '\\', without NUL or any other control character
/// (or a lone UTF-16 surrogate), not ending in a space or a dot (which some file
/// systems strip), and at most 255 bytes in UTF-8.
bool isSafeFileName(const QString& name);

/// `folder` + the native separator + `name` when isSafeFileName(name); otherwise
/// an empty text, and `*error` (when given) receives
/// "The name \"<name>\" cannot be used as a file name in <folder>."
QString safeChildPath(const QString& folder, const QString& name, QString* error);
