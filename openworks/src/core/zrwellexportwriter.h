#pragma once

#include "owdevkit.h"
#include "zrwellexportdata.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

/// Writes one well, read from the host by readWellExportData, into the open
/// OpenWorks project as one transaction: the header (class 823), the position
/// log (600), a time-depth table per reference set (601) and the preferred one
/// (603), the total depth (gdiUpdate of the header), per log set its log curve
/// list (575, read when it exists) with a log curve (610) and a membership
/// (576) per log, per marker its surface (304, read when it exists), its
/// colour (309, added when missing) and its pick (11), and the membership of
/// the well in the target well list (503); then gdiCommit.
///
/// Every record carries the well key (the well's OpenWorks identifier) and the
/// interpreter of the target list. The first DevKit call of the well that
/// fails ends it: its message is added, the transaction is rolled back, and
/// nothing of the well stays in OpenWorks (a list, surface or colour that an
/// earlier well committed stays). Call order: construct, write() once.
class ZRWellExportWriter
{
public:
    enum Result
    {
        Committed,      ///< every record is in OpenWorks
        RolledBack,     ///< a call failed; nothing of the well was kept (rolled back once writing had begun)
        RollbackFailed  ///< a call failed and so did both rollbacks: the transaction is in an unknown state
    };

    ZRWellExportWriter(const WellExportUnits& units, const gdiWellList_t& wellList, const WellExportData& data);

    /// Writes the well under sub-bars of parentProgressId; messages of the
    /// well are appended to messages.
    Result write(int parentProgressId, QStringList* messages);

    /// The header as written (after a commit).
    const gdiWell_t& header() const { return m_header; }
    /// Ids of the records added, by class (after a rollback: none).
    const QMap<int, QVector<int>>& records() const { return m_records; }
    /// The records the well needs, by class (what write() adds when nothing
    /// fails; lists, surfaces and colours counted as if missing).
    static QMap<int, int> plannedRecords(const WellExportData& data);

private:
    bool fail(const QString& text);
    void added(int classId, int id) { m_records[classId].append(id); }
    bool writeHeader();
    bool writePositionLog();
    bool writeTables(int parentProgressId);
    bool writeTotalDepth();
    bool writeLogs(int parentProgressId);
    bool writeCurve(const WellExportData::LogSet& set, const WellExportData::Curve& curve, quint32 listId);
    bool writeMarkers();
    bool writeMembership();
    void setWellKey(char (&field)[32]) const;

    const WellExportUnits& m_units;
    gdiWellList_t m_list;
    const WellExportData& m_data;
    QByteArray m_key;
    QByteArray m_interpreter;
    QStringList* m_messages = nullptr;
    gdiWell_t m_header;
    QMap<int, QVector<int>> m_records;
    /// Versions of the curve names of this well met so far.
    QMap<QByteArray, qint32> m_versions;
};
