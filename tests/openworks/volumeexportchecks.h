#pragma once

// Support of the volume export tests: synthetic host volumes of known
// geometry and values, an independent reader of host volume files (from
// their byte layout), and a reader of the exported SEG-Y files (segyio).

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

/// A host volume whose every sample and map position follows from its
/// parameters. Grid index i runs along the traces of a line, k along the
/// lines; sample j of trace i of frame k is value(k, i, j).
struct SyntheticVolume
{
    int dimx = 7;
    int dimy = 11;
    int dimz = 5;
    double firstTrace = 1.0;
    double traceStep = 1.0;
    double firstLine = 1.0;
    double lineStep = 1.0;
    /// Map position of trace i of line k: origin + i * traceVector + k * lineVector (metres).
    double originX = 431250.0;
    double originY = 6521000.0;
    double traceVectorX = 21.650635094610966; // 25 m at 30 degrees
    double traceVectorY = 12.5;
    double lineVectorX = -12.5;
    double lineVectorY = 21.650635094610966;
    double verticalStart = 100.0;
    double sampleInterval = 4.0;
    int verticalUnit = 2; ///< host unit (2 Millisecond, 0 Meter)
    int dataSize = 0; ///< ZRBloc::DataSize (0 float, 1 short)
    bool transposed = true; ///< frames stored trace by trace
    bool withMissingValues = true; ///< a few samples are -9999
    bool withNotANumber = false; ///< a few samples are NaN (floats only)

    float value(int k, int i, int j) const;
    double lineNumber(int k) const { return firstLine + k * lineStep; }
    double traceNumber(int i) const { return firstTrace + i * traceStep; }
    void mapPosition(double i, double k, double* x, double* y) const;
    /// Smallest and largest value (-9999 left out).
    void valueRange(double* minimum, double* maximum) const;

    /// Writes the volume file (header through the host store, frames one by
    /// one); remote: the header's "remote" attribute (empty: none).
    bool write(const QString& path, QString* error, const QString& remote = QString()) const;
};

/// A host volume file read from its byte layout: global header, object XML,
/// frames at DataOffset in either storage order, any sample type converted
/// to float.
class HostVolumeFile
{
public:
    bool load(const QString& path, QString* error);

    int dimx = 0;
    int dimy = 0;
    int dimz = 0;
    QString dataSize;
    bool transposed = false;
    qint64 dataOffset = -1;
    double worldMatrix[16] = {};
    double surveyMatrix[16] = {};
    QString verticalUnit;
    QString spatialUnit;

    float sample(int k, int i, int j) const;
    /// The samples' bytes after DataOffset.
    QByteArray frameBytes() const;
    static void map(const double (&matrix)[16], double i, double j, double k, double out[3]);

private:
    int bytesPerSample() const;
    QByteArray m_bytes;
};

/// A SEG-Y file read with segyio.
class SegyFile
{
public:
    struct Trace
    {
        int traceId = 0;
        int inlineNumber = 0;
        int crosslineNumber = 0;
        int scalar = 0;
        int cdpX = 0;
        int cdpY = 0;
        int delay = 0;
        int sampleCount = 0;
        int sampleInterval = 0;
        QVector<float> samples;

        /// CDP X / Y with the coordinate scalar applied.
        double x() const { return scaled(cdpX); }
        double y() const { return scaled(cdpY); }
        double scaled(int value) const
        {
            return scalar < 0 ? double(value) / -scalar : scalar > 0 ? double(value) * scalar : double(value);
        }
    };

    bool load(const QString& path, QString* error);

    int samples = 0;
    int format = 0;
    int binaryInterval = 0;
    int binarySamples = 0;
    QVector<Trace> traces;

    /// The trace of a line and trace number (null when none).
    const Trace* find(int line, int traceNumber) const;

private:
    QHash<QPair<int, int>, int> m_index;
};
