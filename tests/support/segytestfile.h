#pragma once

// SEG-Y files for tests, made and read with segyio only: a writer of small
// files of every kind the loader meets (byte orders, sample formats, rev 2
// layouts, increments, scaled delays, prestack gathers, rotated surveys) and
// an independent reader that takes the layout from its caller instead of
// working it out, so that it shares no logic with the code under test.

#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

#include <functional>

namespace segytest
{

/// What to write. Positions: lines firstLine + k * lineStep (k < lines) and
/// traces firstTrace + t * traceStep (t < traces), lines outermost, unless
/// `positions` lists (line, trace) pairs to write instead; each position holds
/// `offsetsPerPosition` traces.
struct FileSetup
{
    int format = 5;
    bool littleEndian = false;
    int revision = 1;           ///< 0, 1 or 2 (2: byte-order constant written)
    int additionalHeaders = 0;  ///< rev 2: extra 240-byte headers per trace
    int extendedTextHeaders = 0;
    int samples = 10;
    int intervalMicroseconds = 4000;
    bool samplesOnlyInTraceHeaders = false; ///< binary header sample count left 0
    int delay = 0;        ///< bytes 109-110 as stored
    int delayScalar = 0;  ///< bytes 215-216 as stored
    int measurementSystem = 1;
    int firstLine = 1;
    int lineStep = 1;
    int lines = 3;
    int firstTrace = 1;
    int traceStep = 1;
    int traces = 4;
    int offsetsPerPosition = 1;
    QVector<QPair<int, int>> positions;
    // Map positions: origin, spacing along the traces and lines, rotation.
    double originX = 600000.0;
    double originY = 6700000.0;
    double traceSpacing = 12.5;
    double lineSpacing = 25.0;
    double angleDegrees = 0.0;
    int coordinateScalar = -100;
};

/// The value written at sample s of the n-th trace of the file: distinct per
/// trace and sample and exactly representable in the format (so a reader
/// that drops a byte or a sample shows it).
double sampleValue(int format, int traceIndex, int sample);

/// Map position of a (line, trace) number in the file `setup` describes.
void mapPosition(const FileSetup& setup, double line, double trace, double* x, double* y);

/// Writes the file with segyio; false with a reason.
bool write(const QString& path, const FileSetup& setup, QString* error);

/// One trace read by segyio.
struct Trace
{
    int line = 0;
    int trace = 0;
    int identification = 0;
    double x = 0.0; ///< CDP X with the coordinate scalar applied
    double y = 0.0;
    int delay = 0;
    int delayScalar = 0;
    int sampleCount = 0;    ///< bytes 115-116, unsigned
    int sampleInterval = 0; ///< bytes 117-118, unsigned
    QVector<float> values;
};

/// Every trace of a file read with segyio in the layout the caller states.
struct Layout
{
    int format = 5;
    bool littleEndian = false;
    int samples = 0;
    long long firstTraceOffset = 3600;
    int additionalHeaders = 0;
    /// Traces with identification code 0 are absent (as in the DevKit
    /// stand-in's data set files) instead of "unknown" (SEG-Y's meaning).
    bool codeZeroIsAbsent = false;
};

class Reader
{
public:
    bool load(const QString& path, const Layout& layout, QString* error);
    const QVector<Trace>& traces() const { return m_traces; }
    /// The first trace at a line and trace number that is not dead (code 2)
    /// or absent (see Layout); null when none.
    const Trace* at(int line, int trace) const;
    int samples() const { return m_layout.samples; }

private:
    Layout m_layout;
    QVector<Trace> m_traces;
    QHash<QPair<int, int>, int> m_index;
};

/// The binary header's unsigned 16-bit field at a 1-based byte (big-endian).
int binaryHeaderU16(const QString& path, int byte);

} // namespace segytest
