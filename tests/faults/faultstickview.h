#pragma once

// An independent reader of the faults library stand-in's fault-stick file,
// written from the layout table of platform/faults/README.md (not from the
// library's code), for the tests.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

class FaultStickView
{
public:
    using Point = std::array<double, 3>;

    /// Reads and checks the whole file; false with *error set.
    bool read(const QString& path, QString* error);

    qint64 fileSize = 0;
    qint64 headerSize = 0;
    qint64 dataOffset = 0;
    QString globalVersion;
    bool reservedAreaIsZero = false;
    QString objectType;
    int version = 0;
    QString domain;
    QString crsName;
    QString crsDefinition;
    int numberOfNames = -1;
    QStringList names;
    qint64 numberOfArrays = -1;
    qint64 numberOfPoints = -1;
    qint64 numberOfSticks = -1;
    QStringList elementOrder;
    QVector<QVector<Point>> arrays;
};
