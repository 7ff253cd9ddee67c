#pragma once

#include <QString>

/// The long-path rule of host files: a name of 261 characters or more is opened
/// through the "\\?\" prefix on its native form.
class ZRLongPath
{
public:
    static constexpr int PrefixFromLength = 261;

    /// The native form, prefixed with "\\?\" when the name is 261 characters or longer.
    static QString prefixedName(const QString& fileName);
    /// The name handed to the operating system: prefixedName() on Windows, the
    /// native form elsewhere (where the prefix does not exist).
    static QString systemName(const QString& fileName);
    /// 8-bit form of systemName() for the C and POSIX file calls.
    static QByteArray systemBytes(const QString& fileName);
};
