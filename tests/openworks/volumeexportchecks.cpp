#include "volumeexportchecks.h"

#include "blocspace.h"
#include "unitobject.h"
#include "zrobjectheader.h"
#include "zrseismicbloc.h"

#include <QDomDocument>
#include <QFile>
#include <QtEndian>

#include <segyio/segy.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

float SyntheticVolume::value(int k, int i, int j) const
{
    if (dataSize == ZRBloc::SHORT_SIZE)
        return float((k * 37 + i * 11 + j * 3) % 2000 - 1000);
    if (withMissingValues && (k * 7 + i * 3 + j) % 29 == 0)
        return -9999.0f;
    if (withNotANumber && (k * 5 + i * 2 + j) % 31 == 3)
        return std::numeric_limits<float>::quiet_NaN();
    return float(std::sin(0.05 * j + 0.3 * i) * std::cos(0.2 * k + 0.01 * j) * 1000.0 + 0.125 * k);
}

void SyntheticVolume::mapPosition(double i, double k, double* x, double* y) const
{
    *x = originX + i * traceVectorX + k * lineVectorX;
    *y = originY + i * traceVectorY + k * lineVectorY;
}

void SyntheticVolume::valueRange(double* minimum, double* maximum) const
{
    *minimum = std::numeric_limits<double>::max();
    *maximum = std::numeric_limits<double>::lowest();
    for (int k = 0; k < dimz; ++k)
        for (int i = 0; i < dimx; ++i)
            for (int j = 0; j < dimy; ++j) {
                const float v = value(k, i, j);
                if (std::isnan(v) || (v == -9999.0f && dataSize == ZRBloc::FLOAT_SIZE))
                    continue;
                *minimum = std::min(*minimum, double(v));
                *maximum = std::max(*maximum, double(v));
            }
}

bool SyntheticVolume::write(const QString& path, QString* error, const QString& remote) const
{
    const double verticalEnd = verticalStart + dimy * sampleInterval;
    double x0, y0, x1, y1, x3, y3;
    mapPosition(0, 0, &x0, &y0);
    mapPosition(dimx - 1, 0, &x1, &y1);
    mapPosition(0, dimz - 1, &x3, &y3);
    const core::vec3 g0(0, 0, 0), g1(dimx - 1, 0, 0), g2(0, dimy, 0), g3(0, 0, dimz - 1);
    georef::BlocSpace space(dimx, dimy, dimz);
    space.setFromBlocToWorldMatrix(georef::BlocSpace::matrixFromFrames(g0, g1, g2, g3, {x0, verticalStart, y0},
                                                                       {x1, verticalStart, y1}, {x0, verticalEnd, y0},
                                                                       {x3, verticalStart, y3}));
    space.setFromBlocToSurveyMatrix(georef::BlocSpace::matrixFromFrames(
        g0, g1, g2, g3, {firstTrace, verticalStart, firstLine}, {traceNumber(dimx - 1), verticalStart, firstLine},
        {firstTrace, verticalEnd, firstLine}, {firstTrace, verticalStart, lineNumber(dimz - 1)}));
    georef::UnitObject units;
    units.setInitialVerticalUnit(verticalUnit);
    units.setVerticalUnit(verticalUnit);
    units.setCrs(georef::Crs());
    space.setUnitsObject(units);

    ZRSeismicBloc volume(space, ZRBloc::DataSize(dataSize));
    volume.setFileName(path);
    volume.setWithTransposition(transposed);
    qint64 dataOffset = -1;
    if (remote.isEmpty()) {
        if (!volume.saveHeader()) {
            *error = "cannot write the header of " + path;
            return false;
        }
        dataOffset = volume.dataOffset();
    } else {
        if (!ZRObjectHeader::writeObjectHeader(path, QList<ZRObjectHeader::Entry>{{&volume, remote}})) {
            *error = "cannot write the header of " + path;
            return false;
        }
        dataOffset = ZRObjectHeader::dataOffset(path);
    }
    const int fd = ZRBloc::openForWriting(path);
    if (fd < 0 || dataOffset < 0) {
        *error = "cannot open " + path;
        return false;
    }
    const size_t count = size_t(dimx) * size_t(dimy);
    std::vector<float> floats(count);
    std::vector<qint16> shorts(count);
    bool ok = true;
    for (int k = 0; k < dimz && ok; ++k) {
        // An image: dimy rows of dimx samples.
        for (int j = 0; j < dimy; ++j)
            for (int i = 0; i < dimx; ++i) {
                floats[size_t(j) * size_t(dimx) + size_t(i)] = value(k, i, j);
                shorts[size_t(j) * size_t(dimx) + size_t(i)] = qint16(value(k, i, j));
            }
        ok = volume.writeFrame(fd, dataOffset, k,
                               dataSize == ZRBloc::SHORT_SIZE ? static_cast<const void*>(shorts.data())
                                                              : static_cast<const void*>(floats.data()));
    }
    ZRBloc::closeFile(fd);
    if (!ok)
        *error = "cannot write the frames of " + path;
    return ok;
}

namespace
{
QString valueOf(const QDomElement& parent, const QString& name)
{
    return parent.firstChildElement(name).attribute("value").trimmed();
}

void readMatrix(const QDomElement& element, double (&matrix)[16])
{
    for (int row = 0; row < 4; ++row) {
        const QDomElement vector = element.firstChildElement(QStringLiteral("vect%1").arg(row));
        matrix[row * 4 + 0] = vector.attribute("x").toDouble();
        matrix[row * 4 + 1] = vector.attribute("y").toDouble();
        matrix[row * 4 + 2] = vector.attribute("z").toDouble();
        matrix[row * 4 + 3] = vector.attribute("t").toDouble();
    }
}
} // namespace

bool HostVolumeFile::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot open " + path;
        return false;
    }
    m_bytes = file.readAll();
    QByteArray globalText = m_bytes.left(2500);
    globalText.truncate(int(qstrnlen(globalText.constData(), 2500)));
    QDomDocument global;
    if (!global.setContent(globalText) || global.documentElement().tagName() != "GlobalHeader") {
        *error = "no global header in " + path;
        return false;
    }
    const int headerSize = valueOf(global.documentElement(), "headerSize").toInt();
    dataOffset = valueOf(global.documentElement(), "DataOffset").toLongLong();
    QDomDocument object;
    if (headerSize <= 0 || !object.setContent(m_bytes.mid(2500, headerSize))) {
        *error = "no object XML in " + path;
        return false;
    }
    const QDomElement volume = object.documentElement().firstChildElement("object").firstChildElement("ZRSeismicBloc");
    if (volume.isNull()) {
        *error = "no volume in " + path;
        return false;
    }
    dimx = valueOf(volume, "dimx").toInt();
    dimy = valueOf(volume, "dimy").toInt();
    dimz = valueOf(volume, "dimz").toInt();
    dataSize = valueOf(volume, "dataSize");
    transposed = valueOf(volume, "Version").toInt() >= 1 && valueOf(volume, "WithTransposition") == "1";
    readMatrix(volume.firstChildElement("fromBlocToWorldMatrix"), worldMatrix);
    readMatrix(volume.firstChildElement("fromBlocToSurveyMatrix"), surveyMatrix);
    const QDomElement units = volume.firstChildElement("unitsObject");
    verticalUnit = valueOf(units, "verticalUnit");
    spatialUnit = valueOf(units, "spatialUnit");
    if (bytesPerSample() == 0 || m_bytes.size() < dataOffset + qint64(dimx) * dimy * dimz * bytesPerSample()) {
        *error = "the samples of " + path + " are not all there";
        return false;
    }
    return true;
}

int HostVolumeFile::bytesPerSample() const
{
    if (dataSize == "FLOAT_SIZE")
        return 4;
    if (dataSize == "SHORT_SIZE")
        return 2;
    return 0;
}

float HostVolumeFile::sample(int k, int i, int j) const
{
    const qint64 frame = dataOffset + qint64(k) * dimx * dimy * bytesPerSample();
    const qint64 position = transposed ? qint64(i) * dimy + j : qint64(j) * dimx + i;
    const char* at = m_bytes.constData() + frame + position * bytesPerSample();
    if (bytesPerSample() == 2)
        return float(qFromLittleEndian<qint16>(at));
    const quint32 bits = qFromLittleEndian<quint32>(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QByteArray HostVolumeFile::frameBytes() const
{
    return m_bytes.mid(int(dataOffset));
}

void HostVolumeFile::map(const double (&m)[16], double i, double j, double k, double out[3])
{
    for (int row = 0; row < 3; ++row)
        out[row] = m[row * 4 + 0] * i + m[row * 4 + 1] * j + m[row * 4 + 2] * k + m[row * 4 + 3];
}

bool SegyFile::load(const QString& path, QString* error)
{
    segy_file* fp = segy_open(QFile::encodeName(path).constData(), "rb");
    if (!fp) {
        *error = "cannot open " + path;
        return false;
    }
    char binary[SEGY_BINARY_HEADER_SIZE];
    bool ok = segy_binheader(fp, binary) == SEGY_OK;
    format = segy_format(binary);
    samples = segy_samples(binary);
    segy_get_bfield(binary, SEGY_BIN_INTERVAL, &binaryInterval);
    segy_get_bfield(binary, SEGY_BIN_SAMPLES, &binarySamples);
    const long trace0 = segy_trace0(binary);
    const int traceBytes = segy_trsize(format, samples);
    int count = 0;
    ok = ok && traceBytes > 0 && segy_traces(fp, &count, trace0, traceBytes) == SEGY_OK;
    for (int index = 0; ok && index < count; ++index) {
        char header[SEGY_TRACE_HEADER_SIZE];
        ok = segy_traceheader(fp, index, header, trace0, traceBytes) == SEGY_OK;
        Trace trace;
        segy_get_field(header, SEGY_TR_TRACE_ID, &trace.traceId);
        segy_get_field(header, SEGY_TR_INLINE, &trace.inlineNumber);
        segy_get_field(header, SEGY_TR_CROSSLINE, &trace.crosslineNumber);
        segy_get_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, &trace.scalar);
        segy_get_field(header, SEGY_TR_CDP_X, &trace.cdpX);
        segy_get_field(header, SEGY_TR_CDP_Y, &trace.cdpY);
        segy_get_field(header, SEGY_TR_DELAY_REC_TIME, &trace.delay);
        segy_get_field(header, SEGY_TR_SAMPLE_COUNT, &trace.sampleCount);
        segy_get_field(header, SEGY_TR_SAMPLE_INTER, &trace.sampleInterval);
        trace.samples.resize(samples);
        ok = ok && segy_readtrace(fp, index, trace.samples.data(), trace0, traceBytes) == SEGY_OK;
        segy_to_native(format, samples, trace.samples.data());
        m_index.insert({trace.inlineNumber, trace.crosslineNumber}, traces.size());
        traces.append(trace);
    }
    segy_close(fp);
    if (!ok) {
        *error = "cannot read the traces of " + path;
        return false;
    }
    return true;
}

const SegyFile::Trace* SegyFile::find(int line, int traceNumber) const
{
    const auto it = m_index.constFind({line, traceNumber});
    return it == m_index.constEnd() ? nullptr : &traces[it.value()];
}
