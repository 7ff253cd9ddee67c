#pragma once

#include "owdevkit.h"

#include <QString>

#include <cstring>

/// Text of a fixed-size DevKit text field (8-bit, zero-terminated or full).
template <size_t N>
QString owText(const char (&field)[N])
{
    return QString::fromLatin1(field, int(strnlen(field, N)));
}

/// Copies text into a fixed-size DevKit text field, cut to fit, zero-terminated.
template <size_t N>
void owSetText(char (&field)[N], const QByteArray& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.constData(), std::min<size_t>(N - 1, size_t(text.size())));
}

/// A record array the DevKit handed out (gdiReadSet, gdiReadSubset), given
/// back on every path: with gdiRelease (list and the vectors loaded in it) or
/// gdiFree.
template <typename Record>
class OwRecordList
{
public:
    enum class Release
    {
        Free,
        ReleaseList
    };

    OwRecordList(int classId, Release release = Release::Free)
        : m_classId(classId)
        , m_release(release)
    {
    }
    ~OwRecordList() { reset(); }
    OwRecordList(const OwRecordList&) = delete;
    OwRecordList& operator=(const OwRecordList&) = delete;

    /// Reads every record of the class.
    int readSet()
    {
        reset();
        void* list = nullptr;
        const int status = gdiReadSet(m_classId, &m_count, &list);
        m_records = static_cast<Record*>(list);
        return status;
    }

    /// Reads the records of this class that belong to a record of ownerClass.
    int readSubset(int ownerClass, const void* owner)
    {
        reset();
        void* list = nullptr;
        const int status = gdiReadSubset(ownerClass, owner, m_classId, &m_count, &list);
        m_records = static_cast<Record*>(list);
        return status;
    }

    void reset()
    {
        if (m_records) {
            if (m_release == Release::ReleaseList)
                gdiRelease(m_classId, m_count, m_records);
            else
                gdiFree(m_records);
        }
        m_records = nullptr;
        m_count = 0;
    }

    int count() const { return m_records ? m_count : 0; }
    Record& operator[](int index) { return m_records[index]; }
    const Record& operator[](int index) const { return m_records[index]; }

private:
    int m_classId;
    Release m_release;
    Record* m_records = nullptr;
    int m_count = 0;
};

/// Text of a DevKit status (never null).
inline QString owErrorText(int status)
{
    const char* text = gdiErrorMessage(status);
    return text ? QString::fromLatin1(text) : QString();
}
