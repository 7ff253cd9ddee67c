#pragma once

// Checks for exported wells. The host side is read from the well database's
// files (HostWellDatabase: plain SQL on a copy, log data files through their
// documented layout), the OpenWorks side through the DevKit calls alone.
// compareRoundTrip states what a well that went from OpenWorks to the host,
// back to another OpenWorks project and into another host project must still
// be, with every loss the round trip has by design spelled out.

#include "wellimportchecks.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

/// One host well with its values, read from the files.
struct HostWellSnapshot
{
    struct Log
    {
        QString name;
        QString unit;
        QVariant noValue;
        QVector<double> values;
        QStringList texts;
    };
    struct Set
    {
        QString name;
        int type = 0;
        QVariant depth1Type;
        QVariant depth2Type;
        QVector<Log> logs;
        const Log* log(const QString& logName) const;
        /// The logs other than "MD" (log sets), in order.
        QVector<const Log*> curves() const;
    };

    int id = 0;
    QString name;
    QString uwi;
    double x = 0.0;
    double y = 0.0;
    double kb = 0.0;
    int kbUnit = 0;
    int status = 0;
    QStringList wellSets;
    QString currentRefSet; ///< name of the current reference set (empty: none)
    QVector<Set> sets;
    /// Marker colours by marker name (of the markers of this well).
    QMap<QString, QString> markerColours;

    const Set* set(const QString& setName) const;
    QVector<const Set*> setsOfType(int type) const;
    /// The reference set holding the trajectory logs (the current one when it does).
    const Set* trajectorySet() const;
};

/// Every well of a host well database folder, by name. False with *error.
bool readHostWells(const QString& folder, QMap<QString, HostWellSnapshot>* wells, QString* error);

/// The units a round trip went through.
struct RoundTripUnits
{
    /// Depths: what one depth unit of the first host well is in the second's.
    double depthFactor = 1.0;
    /// Trajectory X/Y deviations: first host unit to second.
    double deviationFactor = 1.0;
    /// Well head X/Y: first to second (the second import records the spatial
    /// preference, metres by default).
    double xyFactor = 1.0;
};

/// The first difference between a well imported first and the same well
/// after an export to OpenWorks and a second import, empty when there is
/// none beyond the documented losses:
/// - the KB elevation comes back as 0 (the header's reference is written as "KB");
/// - the status comes back as the first host code of its OpenWorks text;
/// - X/Y pass through single precision;
/// - a log comes back named after its log set (cut to 25 characters);
/// - a time-depth reference set of another depth type than MD or TVDBTDD is
///   left out (its trajectory then arrives in "TZ_Deviation");
/// - a well without UWI comes back with its name as UWI.
/// Values must be equal after the exact unit factors (bit for bit when the
/// factors are 1; within single precision otherwise).
QString compareRoundTrip(const HostWellSnapshot& first, const HostWellSnapshot& second, const RoundTripUnits& units);

/// Number of records of a class in the open project (gdiReadSet).
int recordCount(int classId);
/// Record counts of every class the well export writes (823, 600, 601, 603,
/// 610, 576, 575, 304, 309, 11, 503) and of the well lists (502).
QMap<int, int> wellExportRecordCounts();
/// The well keys of the wells of a well list (its class-823 subset through 503).
QStringList wellKeysOfList(const QString& listName);
/// The number of well lists of that exact name in the open project.
int countOfListsNamed(const QString& name);
