#pragma once

#include "zrlogdatabase.h"

#include <QString>
#include <QVector>

/// The content written by the interrupted-save test and its helper process:
/// generation g gives every well KB = g and every log values that name g, its
/// log id and a length of its own, so a mix of two generations shows.
namespace welldbinterrupt
{
constexpr int kWells = 40;
constexpr int kLogsPerWell = 10;
constexpr int kSamples = 10000;

inline int sampleCount(int generation)
{
    return kSamples + 7 * generation;
}

inline double sampleValue(int generation, int logId, int index)
{
    return generation * 1.0e6 + logId * 10.0 + index * 1.0e-3;
}

inline QVector<double> logValues(int generation, int logId)
{
    QVector<double> values(sampleCount(generation));
    for (int i = 0; i < values.size(); ++i)
        values[i] = sampleValue(generation, logId, i);
    return values;
}

/// Fills an empty database with generation 1.
inline void populate(ZRLogDatabase& database)
{
    for (int w = 0; w < kWells; ++w) {
        ZRWell* well = database.CreateWell(QStringLiteral("Well %1").arg(w));
        well->setKb(1.0);
        ZRSet* set = database.CreateLogSet(QStringLiteral("Logs"), well);
        for (int l = 0; l < kLogsPerWell; ++l) {
            ZRLog* log = database.CreateLog(QStringLiteral("Log %1").arg(l), set, true);
            database.setLogData(log, logValues(1, log->id()));
        }
    }
}

/// Changes every well and every log to generation.
inline void rewrite(ZRLogDatabase& database, int generation)
{
    for (ZRWell* well : database.wells())
        well->setKb(generation);
    for (ZRLog* log : database.logs())
        database.setLogData(log, logValues(generation, log->id()));
}
} // namespace welldbinterrupt
