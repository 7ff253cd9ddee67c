#pragma once

// Shared by the horizon and fault export tests: record counts of the classes
// the exports write, read through the DevKit; synthetic host horizons on an
// axis-aligned grid written through the host horizon class; host items for
// the exports.

#include <QMap>
#include <QModelIndexList>
#include <QString>

#include <functional>

/// Records per class (gdiReadSet): 445, 1176, 338, 796, 791, 574, 1184.
struct RecordCounts
{
    QMap<int, int> counts;

    static RecordCounts now();
    int of(int classId) const { return counts.value(classId); }
    bool operator==(const RecordCounts& other) const { return counts == other.counts; }
    bool operator!=(const RecordCounts& other) const { return !(*this == other); }
    /// "445: 5, 1176: 7, ..." for failure messages.
    QString toString() const;
    /// This minus earlier, per class, as text ("338: +1, 796: +1").
    QString differenceFrom(const RecordCounts& earlier) const;
};

/// A host horizon whose node (i, j) lies at map (x0 + dx × i, y0 + dy × j)
/// with the value value(i, j) (−9999.0: null), time (Millisecond) or depth
/// (verticalUnit a length unit); written with ZR3DHorizon. False on failure.
bool writeSyntheticHorizon(const QString& path, int dimx, int dimz, double x0, double y0, double dx, double dy,
                           const std::function<float(int i, int j)>& value, int verticalUnit);

/// The id of the newest horizon catalogue record of that name (0 when none).
int newestHorizonId(const QString& name);
/// The ids of the fault plane records of that name, oldest first.
QList<int> faultPlaneIdsOf(const QString& name);
