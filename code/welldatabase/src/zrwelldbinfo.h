#pragma once

#include <QString>

/// The structure version of a well database, kept in "wellDbInfo.xml":
///   <GlobalHeader>
///     <VersionNumber value="6"/>
///     <VersionNumberMinor value="9"/>
///   </GlobalHeader>
/// A number that was never read is Unknown (4294967295) and printed "Unknown".
class ZRWellDbInfo
{
public:
    static constexpr quint32 Unknown = 4294967295u;
    static constexpr quint32 CurrentMajor = 6;
    static constexpr quint32 CurrentMinor = 9;

    static QString fileName(const QString& folder);

    /// Reads the file of folder; false (numbers Unknown) when missing or unreadable.
    /// The numbers are taken from the "value" attribute, else from the element text.
    bool read(const QString& folder);
    /// Writes the file through a temporary name renamed into place.
    bool write(const QString& folder) const;

    quint32 major() const { return m_major; }
    quint32 minor() const { return m_minor; }
    void setVersion(quint32 major, quint32 minor);
    void setCurrent() { setVersion(CurrentMajor, CurrentMinor); }
    bool isRead() const { return m_major != Unknown; }
    /// At least 6.9.
    bool isAtLeastCurrent() const;

    /// "6.9", "Unknown.Unknown", ...
    QString versionText() const;
    static QString numberText(quint32 number);

private:
    quint32 m_major = Unknown;
    quint32 m_minor = Unknown;
};
