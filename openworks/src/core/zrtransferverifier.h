#pragma once

#include "zrexchangecontext.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

class ZRSeismicBloc;
#include <QVector>

class ZRLog;

/// Checks, after a transfer, that what arrived equals what left: it reads a
/// run report (ZRTransferReport) and compares each transferred item's target
/// with its source, both read again (host files from disk, OpenWorks data
/// through the DevKit), through the documented unit factors. A host file whose
/// checksum is not the one the report recorded is reported as changed after
/// the transfer, and still compared.
///
/// The context gives the host project and the open OpenWorks project the
/// report names. Differences are collected as lines for a person.
class ZRTransferVerifier
{
public:
    explicit ZRTransferVerifier(const ZRExchangeContext& context);

    /// Verifies every item of the report whose outcome says something was
    /// transferred. True when nothing differs (and the report was usable).
    bool verifyReport(const QJsonObject& report);

    /// Verifies one item of a survey import: every trace of the volume, found
    /// through the volume's bloc space at its line and trace, equals the
    /// source trace read with dm3dtr_ at that place of the survey's grid
    /// (absent traces: -9999.0), sample by sample and bit for bit, and lies at
    /// the map position intorw_ gives for that line and trace (converted to
    /// metres). True when nothing differs.
    bool verifySurveyImportItem(const QJsonObject& item);

    /// Verifies one item of a horizon import: per host file written (one per
    /// survey), every node of the OpenWorks grid (hrzrw_ in the project's
    /// unit) is found in the host horizon through its map position (intorw_,
    /// converted to metres with the survey's corner factors, located with the
    /// horizon's own world matrix): a NaN node or one outside the data
    /// record's range must be null there (−9999.0), any other must be equal,
    /// depths after the depth factor the report records; the host node must
    /// lie at that map position (to 1 mm); the node and null node counts must
    /// be the report's.
    bool verifyHorizonImportItem(const QJsonObject& item);

    /// Verifies one item of a fault import: the fault-stick file (read with
    /// the faults library) holds, in one array, the fault plane's segments
    /// (gdiReadVector) in list order, each point (x, y, vertical) as (x,
    /// vertical, y) and followed by the separator, bit for bit; its domain is
    /// time exactly when the plane's domain is "TIME".
    bool verifyFaultImportItem(const QJsonObject& item);

    /// Verifies one item of a horizon export: the new horizon's catalogue
    /// record (name, domain) and its grid in the survey, read with hrzrw_ in
    /// the unit the export declared, equal the grid the host horizon's world
    /// points make when each is located with rwtoin_ on its own (the map
    /// position converted from metres to the survey's unit), rounded half
    /// away from zero, a later point overwriting an earlier one (values to a
    /// float's precision after the DevKit's unit conversion); nodes without a
    /// point must be missing. A cancelled item must have left no horizon.
    bool verifyHorizonExportItem(const QJsonObject& item);

    /// Verifies one item of a fault export: per stick array of the host file
    /// the recorded fault (class 338) and fault plane (796: name, domain)
    /// exist, and the plane's segments (791, list order, gdiReadVector) are
    /// the array's sticks (split at the separators, empty ones dropped), each
    /// point (x, vertical, y) as (x, y, vertical) bit for bit, in the recorded
    /// survey. A cancelled item must have left none of its fault planes.
    bool verifyFaultExportItem(const QJsonObject& item);
    /// Verifies one item of a well import: the host well (by the item's
    /// target wellId) against the OpenWorks well read again (by its keys): the
    /// header, the time-depth tables the import converted, the log curves in
    /// their log sets with the sets' MD logs, the trajectory (the position
    /// log, or the vertical one made from the curves' depths) and the picks,
    /// through the factors the report recorded (depths, well head, elevation,
    /// each table's times). True when nothing differs.
    bool verifyWellImportItem(const QJsonObject& item);

    /// Verifies one item of a well export: the OpenWorks records the report
    /// names (the header by its well key, the position log, the time-depth
    /// tables, log curves and picks by their ids, the list membership) read
    /// back and compared with the host well (by the item's source wellId) as
    /// the export writes it: each quantity through its recorded factor and
    /// single precision. True when nothing differs.
    bool verifyWellExportItem(const QJsonObject& item);

    /// Verifies one item of a volume export: every trace of the host volume,
    /// found through its bloc space at its line and trace, equals the trace
    /// of the new data set at that place of the new survey's grid (dm3dtr_),
    /// bit for bit, at the map position intorw_ gives (in metres, to 1 mm).
    bool verifyVolumeExportItem(const QJsonObject& item);

    /// Every difference found so far, "<item>: <what differs>".
    const QStringList& differences() const { return m_differences; }
    /// What was verified or left out, one line per item.
    const QStringList& notes() const { return m_notes; }
    int itemsVerified() const { return m_itemsVerified; }

    /// At most this many differences are listed per item (then a count of the rest).
    static constexpr int MaximumListedPerItem = 10;

private:
    /// Records a difference of the item under way.
    void differ(const QString& text);
    void beginItem(const QString& name);
    void endItem();
    /// The recorded files of an item still have their checksums.
    void checkFiles(const QJsonObject& item);
    /// Compares the first framesToCheck frames of a host volume, trace by
    /// trace at their lines and traces, with a data set read through the
    /// DevKit (its survey found by id, or by name when surveyId is 0), and
    /// each trace's map position with intorw_. False when the data set cannot
    /// be read (a difference says why).
    bool compareVolumeWithDataSet(const ZRSeismicBloc& volume, const QString& surveyName, qint32 dataSetId,
                                  qint32 surveyId, int framesToCheck, qint64* absentTraces);
    /// Compares values (a difference per item at most); relative tolerance 0: equal.
    bool compareValues(const QString& what, const QVector<double>& actual, const QVector<double>& expected,
                       double relative);
    /// The values of a host log of the context's well database, or a difference.
    bool hostValues(const ZRLog* log, const QString& what, QVector<double>* values);

    ZRExchangeContext m_context;
    QStringList m_differences;
    QStringList m_notes;
    int m_itemsVerified = 0;
    QString m_item;
    int m_itemDifferences = 0;
};
