#pragma once

// Checks of imported volumes that locate every trace through the volume's own
// bloc space: its survey matrix gives the line and trace number of grid
// column i of frame k, its world matrix the map position. The volume is read
// from its byte layout (surveyimportchecks.h); nothing here knows in which
// order the import walked the traces.

#include "surveyimportchecks.h"

#include <QString>

#include <functional>

/// The bloc space matrices of a host volume file, read from its object XML.
struct VolumeMatrices
{
    double world[4][4] = {};
    double survey[4][4] = {};

    bool load(const QString& path, QString* error);
    /// (easting or trace number, vertical, northing or line number) of grid (i, j, k).
    static void map(const double matrix[4][4], double i, double j, double k, double out[3]);
};

/// One source trace found by line and trace number: its samples and, when
/// known, its map position. Null samples: no trace there (absent).
struct SourceTrace
{
    const QVector<float>* samples = nullptr;
    bool hasPosition = false;
    double x = 0.0;
    double y = 0.0;
};
using SourceLookup = std::function<SourceTrace(int line, int trace)>;

/// Compares every trace of the volume with the source trace at the line and
/// trace number that the survey matrix gives its grid position (which must
/// be whole numbers within 1e-6), samples bit for bit (-9999 where the
/// source has none), and, with a world matrix and a source position, the map
/// position within tolerance. Returns the first difference, or "".
/// *compared receives the number of traces that had a source trace.
QString compareAtBlocSpacePositions(const VolumeFile& volume, const VolumeMatrices* matrices,
                                    const SourceLookup& source, double tolerance, int* compared = nullptr);

/// The same with the volume's survey matrix only, against a data set file.
QString compareAtSurveyPositions(const VolumeFile& volume, const SegyDataSet& dataSet);
