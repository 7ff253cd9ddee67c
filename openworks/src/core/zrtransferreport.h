#pragma once

#include "zreventbus.h"
#include "zrexchangeui.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

/// The plan (dry run) or the record of one exchange run, item by item, written
/// as one JSON document. docs/run-report.md describes the format; bump
/// FormatVersion when a field changes meaning or goes away.
///
/// An exchange operation finds the report in its ZRExchangeContext (it may be
/// null: nothing is recorded), adds one item per requested object before it
/// works on it, and fills the item in as it goes. The caller (window or
/// headless front end) sets the run's identity, starts and finishes it, and
/// writes it.
namespace georef
{
class BlocSpace;
}
struct ZRExchangeContext;

class ZRTransferReport
{
public:
    static constexpr int FormatVersion = 1;

    /// Outcome texts of an item.
    static const QString Planned;     ///< dry run: what would be done
    static const QString Imported;    ///< written to the host project
    static const QString Exported;    ///< written to the OpenWorks project
    static const QString Overwritten; ///< written over an existing target
    static const QString Renamed;     ///< written under a new name
    static const QString Skipped;     ///< not transferred by choice (conflict declined, nothing to transfer)
    static const QString Failed;      ///< not transferred: see messages
    static const QString Cancelled;   ///< stopped by the user (what was written stays as recorded)

    /// Action texts of an item (what the run does with the target).
    static const QString Create;
    static const QString Overwrite;
    static const QString Rename;
    static const QString Skip;

    struct Item
    {
        QString sourceSystem;   ///< "OpenWorks" or "Velostrat"
        QString objectClass;    ///< "seismic data set", "horizon", "fault", "well", "volume", ...
        qint64 sourceId = 0;    ///< the DevKit record id or the host id (0 when none)
        QString sourceName;
        QJsonObject source;     ///< further identity (district, project, survey, file, class number, ...)
        QJsonObject target;     ///< "path" of a host file, or the new OpenWorks ids
        QString action;
        QString outcome;
        QStringList messages;   ///< every message shown or sent about this item
        QJsonArray units;       ///< one object per conversion (see unitEntry)
        QJsonObject geometry;   ///< grid sizes, matrices, survey corners used
        QJsonObject counts;     ///< traces, absentTraces, failedTraces, nodes, nullNodes, sticks, samples, ...
        QJsonObject valueRange; ///< "min", "max"
        QJsonArray files;       ///< one fileEntry per host file written
        double seconds = 0.0;
    };

    void setExchange(const QString& exchange) { m_exchange = exchange; }
    QString exchange() const { return m_exchange; }
    void setDryRun(bool dryRun) { m_dryRun = dryRun; }
    bool isDryRun() const { return m_dryRun; }
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    void setHostProject(const QString& path) { m_hostProject = path; }
    void setOpenWorksProject(const QString& district, const QString& project);

    /// Marks the start and the end of the run; finish also records how many
    /// items were asked for and how many were transferred.
    void start();
    void finish(int requested, int transferred);

    /// Adds an item and returns its index.
    int addItem(const Item& item);
    Item& item(int index) { return m_items[index]; }
    const Item& item(int index) const { return m_items[index]; }
    int itemCount() const { return m_items.size(); }
    /// A message of the run that concerns no item (e.g. a unit question declined).
    void addRunMessage(const QString& text) { m_runMessages.append(text); }

    QJsonObject toJson() const;
    /// Writes the report (indented JSON, UTF-8) through a temporary file renamed
    /// into place. False with *error set when it cannot be written.
    bool write(const QString& path, QString* error) const;
    /// Reads a report back (for verification); false with *error when it is
    /// not a report of a known format version.
    static bool read(const QString& path, QJsonObject* report, QString* error);

    /// {"path", "bytes", "sha256"} of a file as it is now on disk.
    static QJsonObject fileEntry(const QString& path);
    /// Lower-case hexadecimal SHA-256 of a file's content (empty when unreadable).
    static QString sha256OfFile(const QString& path);
    /// {"quantity", "fromUnitId", "fromUnit", "toUnitId", "toUnit", "factor"[, "hostUnit"]}:
    /// a conversion the DevKit applied (factor: what one fromUnit is in toUnit).
    static QJsonObject unitEntry(const QString& quantity, int fromUnitId, const QString& fromUnit, int toUnitId,
                                 const QString& toUnit, double factor, const QString& hostUnit = QString());
    /// {"dimx", "dimy", "dimz", "fromBlocToWorldMatrix", "fromBlocToSurveyMatrix"}
    /// of a bloc space (matrices as 16 numbers, row by row).
    static QJsonObject blocSpaceEntry(const georef::BlocSpace& space);
    /// The program's version text.
    static QString programVersion();

private:
    QString m_exchange;
    bool m_dryRun = false;
    QStringList m_arguments;
    QString m_hostProject;
    QString m_district;
    QString m_project;
    QDateTime m_start;
    QDateTime m_end;
    int m_requested = 0;
    int m_transferred = 0;
    QVector<Item> m_items;
    QStringList m_runMessages;
};

/// A new item for an object read from the open OpenWorks project: its class
/// name and DevKit class number, its id and name, the district and project it
/// comes from, and the outcome "failed" until the operation says otherwise.
ZRTransferReport::Item openWorksSourceItem(const ZRExchangeContext& context, const QString& objectClass, int classId,
                                           qint64 id, const QString& name);

/// The report item of one requested object, for an exchange operation: adds
/// the item when built (nothing at all without a report in the context),
/// records every message the operation shows or sends about the object, and
/// stores the time spent when it goes.
class ZRReportedItem
{
public:
    ZRReportedItem(const ZRExchangeContext& context, const ZRTransferReport::Item& item);
    ~ZRReportedItem();
    ZRReportedItem(const ZRReportedItem&) = delete;
    ZRReportedItem& operator=(const ZRReportedItem&) = delete;

    /// The item, or null when the run has no report.
    ZRTransferReport::Item* item();
    /// A message box through the context's user interface, recorded.
    void showMessage(ZRExchangeUi::MessageKind kind, const QString& title, const QString& text);
    /// An event-bus message (flag false), recorded.
    void sendMessage(drawType type, const QString& text);
    /// Records a message that was shown or sent elsewhere.
    void recordMessage(const QString& text);
    void setOutcome(const QString& outcome);
    void setAction(const QString& action);
    void setTarget(const QString& key, const QJsonValue& value);
    void setCount(const QString& key, double value);

private:
    const ZRExchangeContext& m_context;
    int m_index = -1;
    QElapsedTimer m_timer;
};
