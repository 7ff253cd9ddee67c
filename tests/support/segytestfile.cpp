#include "segytestfile.h"

#include <segyio/segy.h>

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <vector>

namespace segytest
{

namespace
{
int elementBytes(int format)
{
    return format == 3 ? 2 : (format == 8 ? 1 : 4);
}

void put(unsigned char* p, long long value, int bytes, bool littleEndian)
{
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (littleEndian ? i : bytes - 1 - i);
        p[i] = static_cast<unsigned char>((static_cast<unsigned long long>(value) >> shift) & 0xff);
    }
}

/// Samples of one trace in the file's format, big-endian (segyio turns them
/// into the file's byte order when it writes).
void encodeTrace(int format, int traceIndex, int samples, char* out)
{
    for (int s = 0; s < samples; ++s) {
        const double value = sampleValue(format, traceIndex, s);
        if (format == 2) {
            const int32_t v = static_cast<int32_t>(value);
            std::memcpy(out + 4 * s, &v, 4);
        } else if (format == 3) {
            const int16_t v = static_cast<int16_t>(value);
            std::memcpy(out + 2 * s, &v, 2);
        } else if (format == 8) {
            out[s] = static_cast<char>(static_cast<int8_t>(value));
        } else {
            const float v = static_cast<float>(value);
            std::memcpy(out + 4 * s, &v, 4);
        }
    }
    segy_from_native(format, samples, out);
}
} // namespace

double sampleValue(int format, int traceIndex, int sample)
{
    switch (format) {
    case 2: return traceIndex * 100000.0 + sample * 7.0 - 50000.0;
    case 3: return double((traceIndex * 37 + sample * 5 + 1) % 60000) - 30000.0;
    case 8: return double((traceIndex * 7 + sample * 3 + 1) % 250) - 125.0;
    default: return traceIndex * 16.0 + sample * 0.25 - 7.0;
    }
}

void mapPosition(const FileSetup& setup, double line, double trace, double* x, double* y)
{
    const double a = setup.angleDegrees * M_PI / 180.0;
    const double along = (trace - setup.firstTrace) / setup.traceStep * setup.traceSpacing;
    const double across = (line - setup.firstLine) / setup.lineStep * setup.lineSpacing;
    *x = setup.originX + along * std::cos(a) - across * std::sin(a);
    *y = setup.originY + along * std::sin(a) + across * std::cos(a);
}

bool write(const QString& path, const FileSetup& setup, QString* error)
{
    QVector<QPair<int, int>> positions = setup.positions;
    if (positions.isEmpty())
        for (int k = 0; k < setup.lines; ++k)
            for (int t = 0; t < setup.traces; ++t)
                positions.append({setup.firstLine + k * setup.lineStep, setup.firstTrace + t * setup.traceStep});
    const int element = elementBytes(setup.format);
    const int dataBytes = 240 * setup.additionalHeaders + setup.samples * element;
    const long long trace0 = 3600LL + 3200LL * setup.extendedTextHeaders;

    segy_file* fp = segy_open(QFile::encodeName(path).constData(), "w+b");
    if (!fp || segy_set_format(fp, setup.format | (setup.littleEndian ? SEGY_LSB : 0)) != SEGY_OK) {
        *error = "cannot create " + path;
        if (fp)
            segy_close(fp);
        return false;
    }
    char text[3200];
    std::memset(text, ' ', sizeof text);
    std::memcpy(text, "C 1 TEST FILE", 13);
    bool ok = segy_write_textheader(fp, 0, text) == SEGY_OK;
    std::vector<char> data(static_cast<size_t>(dataBytes), 'A');
    int index = 0;
    for (const auto& position : positions) {
        for (int offset = 0; ok && offset < setup.offsetsPerPosition; ++offset, ++index) {
            char header[SEGY_TRACE_HEADER_SIZE];
            std::memset(header, 0, sizeof header);
            double x = 0.0, y = 0.0;
            mapPosition(setup, position.first, position.second, &x, &y);
            const double factor = setup.coordinateScalar < 0 ? -setup.coordinateScalar
                                                            : (setup.coordinateScalar > 1 ? 1.0 / setup.coordinateScalar : 1.0);
            segy_set_field(header, SEGY_TR_SEQ_FILE, index + 1);
            segy_set_field(header, SEGY_TR_TRACE_ID, 1);
            segy_set_field(header, SEGY_TR_OFFSET, 100 * offset);
            segy_set_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, setup.coordinateScalar);
            segy_set_field(header, SEGY_TR_CDP_X, int32_t(std::llround(x * factor)));
            segy_set_field(header, SEGY_TR_CDP_Y, int32_t(std::llround(y * factor)));
            segy_set_field(header, SEGY_TR_DELAY_REC_TIME, setup.delay);
            segy_set_field(header, SEGY_TR_SCALAR_TRACE_HEADER, setup.delayScalar);
            segy_set_field(header, SEGY_TR_SAMPLE_COUNT, int16_t(setup.samples & 0xffff));
            segy_set_field(header, SEGY_TR_SAMPLE_INTER, int16_t(setup.intervalMicroseconds & 0xffff));
            segy_set_field(header, SEGY_TR_INLINE, position.first);
            segy_set_field(header, SEGY_TR_CROSSLINE, position.second);
            encodeTrace(setup.format, index, setup.samples, data.data() + 240 * setup.additionalHeaders);
            ok = segy_write_traceheader(fp, index, header, trace0, dataBytes) == SEGY_OK &&
                 segy_writetrace(fp, index, data.data(), trace0, dataBytes) == SEGY_OK;
        }
    }
    segy_close(fp);
    if (!ok) {
        *error = "cannot write the traces of " + path;
        return false;
    }

    // The binary header, byte by byte in the file's byte order (segyio of
    // this version knows no rev 2 field).
    unsigned char binary[400];
    std::memset(binary, 0, sizeof binary);
    const auto b = [&binary](int fileOffset) { return binary + (fileOffset - 3200); };
    const bool le = setup.littleEndian;
    put(b(3212), setup.traces, 2, le);
    put(b(3216), setup.intervalMicroseconds, 2, le);
    put(b(3220), setup.samplesOnlyInTraceHeaders || setup.samples > 65535 ? 0 : setup.samples, 2, le);
    put(b(3224), setup.format, 2, le);
    put(b(3228), 4, 2, le);
    put(b(3254), setup.measurementSystem, 2, le);
    if (setup.revision == 2) {
        *b(3500) = 2;
        *b(3501) = 0;
        put(b(3268), setup.samples > 65535 ? setup.samples : 0, 4, le);
        put(b(3296), 0x01020304, 4, le);
        put(b(3506), setup.additionalHeaders, 4, le);
    } else if (setup.revision == 1) {
        put(b(3500), 0x0100, 2, le);
    }
    if (setup.revision >= 1) {
        put(b(3502), 1, 2, le);
        put(b(3504), setup.extendedTextHeaders, 2, le);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(3200) ||
        file.write(reinterpret_cast<const char*>(binary), sizeof binary) != qint64(sizeof binary)) {
        *error = "cannot write the binary header of " + path;
        return false;
    }
    const QByteArray extended(3200 * setup.extendedTextHeaders, ' ');
    if (setup.extendedTextHeaders > 0 && (!file.seek(3600) || file.write(extended) != extended.size())) {
        *error = "cannot write the extended textual headers of " + path;
        return false;
    }
    return true;
}

bool Reader::load(const QString& path, const Layout& layout, QString* error)
{
    m_layout = layout;
    m_traces.clear();
    m_index.clear();
    const int element = elementBytes(layout.format);
    const int dataBytes = 240 * layout.additionalHeaders + layout.samples * element;
    const long long fileSize = QFileInfo(path).size();
    if (layout.samples <= 0 || (fileSize - layout.firstTraceOffset) % (240 + dataBytes) != 0) {
        *error = QString("%1 is not a whole number of traces of %2 samples").arg(path).arg(layout.samples);
        return false;
    }
    const long long count = (fileSize - layout.firstTraceOffset) / (240 + dataBytes);
    segy_file* fp = segy_open(QFile::encodeName(path).constData(), "rb");
    if (!fp || segy_set_format(fp, layout.format | (layout.littleEndian ? SEGY_LSB : 0)) != SEGY_OK) {
        *error = "cannot open " + path;
        if (fp)
            segy_close(fp);
        return false;
    }
    std::vector<char> data(static_cast<size_t>(dataBytes));
    bool ok = true;
    for (long long i = 0; ok && i < count; ++i) {
        char header[SEGY_TRACE_HEADER_SIZE];
        ok = segy_traceheader(fp, int(i), header, layout.firstTraceOffset, dataBytes) == SEGY_OK &&
             segy_readtrace(fp, int(i), data.data(), layout.firstTraceOffset, dataBytes) == SEGY_OK;
        Trace trace;
        int32_t value = 0, scalar = 0;
        segy_get_field(header, SEGY_TR_INLINE, &value);
        trace.line = value;
        segy_get_field(header, SEGY_TR_CROSSLINE, &value);
        trace.trace = value;
        segy_get_field(header, SEGY_TR_TRACE_ID, &value);
        trace.identification = value;
        segy_get_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, &scalar);
        const double factor = scalar < 0 ? 1.0 / -scalar : (scalar > 1 ? scalar : 1.0);
        segy_get_field(header, SEGY_TR_CDP_X, &value);
        trace.x = value * factor;
        segy_get_field(header, SEGY_TR_CDP_Y, &value);
        trace.y = value * factor;
        segy_get_field(header, SEGY_TR_DELAY_REC_TIME, &value);
        trace.delay = value;
        segy_get_field(header, SEGY_TR_SCALAR_TRACE_HEADER, &value);
        trace.delayScalar = value;
        segy_get_field(header, SEGY_TR_SAMPLE_COUNT, &value);
        trace.sampleCount = value & 0xffff;
        segy_get_field(header, SEGY_TR_SAMPLE_INTER, &value);
        trace.sampleInterval = value & 0xffff;
        char* samples = data.data() + 240 * layout.additionalHeaders;
        segy_to_native(layout.format, layout.samples, samples);
        trace.values.resize(layout.samples);
        for (int s = 0; s < layout.samples; ++s) {
            if (layout.format == 2) {
                int32_t v;
                std::memcpy(&v, samples + 4 * s, 4);
                trace.values[s] = float(v);
            } else if (layout.format == 3) {
                int16_t v;
                std::memcpy(&v, samples + 2 * s, 2);
                trace.values[s] = float(v);
            } else if (layout.format == 8) {
                trace.values[s] = float(int8_t(samples[s]));
            } else {
                std::memcpy(&trace.values[s], samples + 4 * s, 4);
            }
        }
        const bool absent = trace.identification == 2 || (trace.identification == 0 && layout.codeZeroIsAbsent);
        if (!absent && !m_index.contains({trace.line, trace.trace}))
            m_index.insert({trace.line, trace.trace}, m_traces.size());
        m_traces.append(trace);
    }
    segy_close(fp);
    if (!ok)
        *error = "cannot read the traces of " + path;
    return ok;
}

const Trace* Reader::at(int line, int trace) const
{
    const auto it = m_index.constFind({line, trace});
    return it == m_index.constEnd() ? nullptr : &m_traces[it.value()];
}

int binaryHeaderU16(const QString& path, int byte)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(byte - 1))
        return -1;
    const QByteArray bytes = file.read(2);
    return bytes.size() == 2 ? (uchar(bytes[0]) << 8) | uchar(bytes[1]) : -1;
}

} // namespace segytest
