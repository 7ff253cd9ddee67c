#pragma once

// Independent readers for checking imported volumes: the OpenWorks data set
// file read with segyio, and the host volume file read from its byte layout
// (global header, object XML, reserved area, frames stored trace by trace).

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

/// Every trace of a SEG-Y data set file, by (line, trace number).
class SegyDataSet
{
public:
    bool load(const QString& path, QString* error);

    int samples() const { return m_samples; }
    int firstLine() const { return m_firstLine; }
    int lastLine() const { return m_lastLine; }
    int firstTrace() const { return m_firstTrace; }
    int lastTrace() const { return m_lastTrace; }
    int absentCount() const { return m_absent; }
    /// Null for an absent trace (identification code 0) or one not in the file.
    const QVector<float>* trace(int line, int traceNumber) const;

private:
    int m_samples = 0;
    int m_firstLine = 0;
    int m_lastLine = -1;
    int m_firstTrace = 0;
    int m_lastTrace = -1;
    int m_absent = 0;
    QHash<QPair<int, int>, QVector<float>> m_traces;
};

/// A host volume file as laid out on disk.
class VolumeFile
{
public:
    bool load(const QString& path, QString* error);

    int dimx = 0;
    int dimy = 0;
    int dimz = 0;
    QString dataSize;
    int version = -1;
    QString withTransposition;
    QString initialVerticalUnit;
    QString verticalUnit;
    qint64 dataOffset = -1;
    double surveyMatrix[4][4] = {};

    qint64 fileSize() const { return m_bytes.size(); }
    qint64 frameBytes() const { return qint64(dimx) * dimy * 4; }
    /// Frames present in the file (whole frames after DataOffset).
    int framesPresent() const;
    /// Sample j of trace i of frame k (frames stored trace by trace).
    float sample(int k, int i, int j) const;
    /// The survey point (trace, vertical, line) of a grid point.
    void surveyPoint(double i, double j, double k, double out[3]) const;

private:
    QByteArray m_bytes;
};

/// Compares the first `frames` frames of a volume with a data set: with
/// traceOrder frame k holds line firstLine + k and trace i the trace number
/// firstTrace + i; otherwise frame k holds trace number firstTrace + k and
/// trace i line firstLine + i. Absent traces must hold dimy values of -9999.
/// Returns the first difference, or an empty text. frames < 0: all of them.
QString compareVolume(const VolumeFile& volume, const SegyDataSet& dataSet, bool traceOrder, int frames = -1);

/// The data folder of a district of the stand-in's OpenWorks home ("OTHER_FILES" of dir.dat).
QString districtDataFolderOf(const QString& home, const QString& district);

/// Files below folder that this process holds open.
QStringList openFilesUnder(const QString& folder);
