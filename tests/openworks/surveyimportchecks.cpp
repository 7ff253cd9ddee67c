#include "surveyimportchecks.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QtEndian>

#include <segyio/segy.h>

#include <algorithm>
#include <cstring>
#include <limits>

bool SegyDataSet::load(const QString& path, QString* error)
{
    segy_file* fp = segy_open(QFile::encodeName(path).constData(), "rb");
    if (!fp) {
        *error = "cannot open " + path;
        return false;
    }
    char binary[SEGY_BINARY_HEADER_SIZE];
    bool ok = segy_binheader(fp, binary) == SEGY_OK;
    const int format = segy_format(binary);
    m_samples = segy_samples(binary);
    const long trace0 = segy_trace0(binary);
    const int traceBytes = segy_trsize(format, m_samples);
    int count = 0;
    ok = ok && format == SEGY_IEEE_FLOAT_4_BYTE && segy_traces(fp, &count, trace0, traceBytes) == SEGY_OK;
    m_firstLine = m_firstTrace = std::numeric_limits<int>::max();
    m_lastLine = m_lastTrace = std::numeric_limits<int>::min();
    QVector<float> values(m_samples);
    for (int i = 0; ok && i < count; ++i) {
        char header[SEGY_TRACE_HEADER_SIZE];
        ok = segy_traceheader(fp, i, header, trace0, traceBytes) == SEGY_OK;
        int id = 0, line = 0, traceNumber = 0;
        segy_get_field(header, SEGY_TR_TRACE_ID, &id);
        segy_get_field(header, SEGY_TR_INLINE, &line);
        segy_get_field(header, SEGY_TR_CROSSLINE, &traceNumber);
        // Absent traces carry no numbers: the grid comes from the live ones.
        if (id == 0) {
            ++m_absent;
            continue;
        }
        m_firstLine = std::min(m_firstLine, line);
        m_lastLine = std::max(m_lastLine, line);
        m_firstTrace = std::min(m_firstTrace, traceNumber);
        m_lastTrace = std::max(m_lastTrace, traceNumber);
        ok = ok && segy_readtrace(fp, i, values.data(), trace0, traceBytes) == SEGY_OK;
        segy_to_native(format, m_samples, values.data());
        m_traces.insert({line, traceNumber}, values);
    }
    segy_close(fp);
    if (!ok || count == 0) {
        *error = "cannot read the traces of " + path;
        return false;
    }
    if (qint64(m_lastLine - m_firstLine + 1) * (m_lastTrace - m_firstTrace + 1) != count) {
        *error = "the live traces of " + path + " do not span the grid";
        return false;
    }
    return true;
}

const QVector<float>* SegyDataSet::trace(int line, int traceNumber) const
{
    const auto it = m_traces.constFind({line, traceNumber});
    return it == m_traces.constEnd() ? nullptr : &it.value();
}

namespace
{
QString valueOf(const QDomElement& parent, const QString& name)
{
    return parent.firstChildElement(name).attribute("value").trimmed();
}
} // namespace

bool VolumeFile::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot open " + path;
        return false;
    }
    m_bytes = file.readAll();
    if (m_bytes.size() < 2500) {
        *error = "too short: " + path;
        return false;
    }
    QByteArray globalText = m_bytes.left(2500);
    globalText.truncate(int(qstrnlen(globalText.constData(), 2500)));
    QDomDocument global;
    if (!global.setContent(globalText) || global.documentElement().tagName() != "GlobalHeader") {
        *error = "no global header in " + path;
        return false;
    }
    const QDomElement globalRoot = global.documentElement();
    const int headerSize = valueOf(globalRoot, "headerSize").toInt();
    dataOffset = valueOf(globalRoot, "DataOffset").toLongLong();
    QDomDocument object;
    if (headerSize <= 0 || !object.setContent(m_bytes.mid(2500, headerSize))) {
        *error = "no object XML in " + path;
        return false;
    }
    const QDomElement volume = object.documentElement().firstChildElement("object").firstChildElement("ZRSeismicBloc");
    if (volume.isNull() || object.documentElement().firstChildElement("object").attribute("type") != "ZRSeismicBloc") {
        *error = "no ZRSeismicBloc object in " + path;
        return false;
    }
    dimx = valueOf(volume, "dimx").toInt();
    dimy = valueOf(volume, "dimy").toInt();
    dimz = valueOf(volume, "dimz").toInt();
    dataSize = valueOf(volume, "dataSize");
    version = valueOf(volume, "Version").toInt();
    withTransposition = valueOf(volume, "WithTransposition");
    const QDomElement units = volume.firstChildElement("unitsObject");
    initialVerticalUnit = valueOf(units, "initialVerticalUnit");
    verticalUnit = valueOf(units, "verticalUnit");
    const QDomElement matrix = volume.firstChildElement("fromBlocToSurveyMatrix");
    const char* columns[4] = {"x", "y", "z", "t"};
    for (int r = 0; r < 4; ++r) {
        const QDomElement row = matrix.firstChildElement(QString("vect%1").arg(r));
        for (int c = 0; c < 4; ++c)
            surveyMatrix[r][c] = row.attribute(columns[c]).trimmed().toDouble();
    }
    if (dataOffset != 2500 + headerSize + 10000) {
        *error = QString("unexpected DataOffset %1 for header size %2").arg(dataOffset).arg(headerSize);
        return false;
    }
    return true;
}

int VolumeFile::framesPresent() const
{
    if (frameBytes() <= 0 || fileSize() < dataOffset)
        return 0;
    return int((fileSize() - dataOffset) / frameBytes());
}

float VolumeFile::sample(int k, int i, int j) const
{
    const qint64 offset = dataOffset + ((qint64(k) * dimx + i) * dimy + j) * 4;
    if (offset < 0 || offset + 4 > fileSize())
        return std::numeric_limits<float>::quiet_NaN();
    const quint32 bits = qFromLittleEndian<quint32>(m_bytes.constData() + offset);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

void VolumeFile::surveyPoint(double i, double j, double k, double out[3]) const
{
    const double p[4] = {i, j, k, 1.0};
    for (int r = 0; r < 3; ++r) {
        out[r] = 0.0;
        for (int c = 0; c < 4; ++c)
            out[r] += surveyMatrix[r][c] * p[c];
    }
}

QString compareVolume(const VolumeFile& volume, const SegyDataSet& dataSet, bool traceOrder, int frames)
{
    const int lines = dataSet.lastLine() - dataSet.firstLine() + 1;
    const int traces = dataSet.lastTrace() - dataSet.firstTrace() + 1;
    const int expectedDimx = traceOrder ? traces : lines;
    const int expectedDimz = traceOrder ? lines : traces;
    if (volume.dimx != expectedDimx || volume.dimz != expectedDimz || volume.dimy != dataSet.samples())
        return QString("sizes %1 x %2 x %3, expected %4 x %5 x %6")
            .arg(volume.dimx)
            .arg(volume.dimy)
            .arg(volume.dimz)
            .arg(expectedDimx)
            .arg(dataSet.samples())
            .arg(expectedDimz);
    if (frames < 0)
        frames = volume.dimz;
    if (volume.framesPresent() < frames)
        return QString("%1 frames in the file, %2 expected").arg(volume.framesPresent()).arg(frames);
    for (int k = 0; k < frames; ++k) {
        for (int i = 0; i < volume.dimx; ++i) {
            const int line = dataSet.firstLine() + (traceOrder ? k : i);
            const int traceNumber = dataSet.firstTrace() + (traceOrder ? i : k);
            const QVector<float>* trace = dataSet.trace(line, traceNumber);
            for (int j = 0; j < volume.dimy; ++j) {
                const float expected = trace ? trace->at(j) : -9999.0f;
                const float actual = volume.sample(k, i, j);
                if (std::memcmp(&expected, &actual, 4) != 0)
                    return QString("frame %1 trace %2 sample %3 (line %4, trace number %5): %6, expected %7")
                        .arg(k)
                        .arg(i)
                        .arg(j)
                        .arg(line)
                        .arg(traceNumber)
                        .arg(double(actual))
                        .arg(double(expected));
            }
        }
    }
    return QString();
}

QString districtDataFolderOf(const QString& home, const QString& district)
{
    QFile file(home + "/" + district + "/dir.dat");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (!line.startsWith('#') && line.endsWith("OTHER_FILES"))
            return line.section(' ', 0, 0);
    }
    return QString();
}

QStringList openFilesUnder(const QString& folder)
{
    const QString prefix = QFileInfo(folder).canonicalFilePath() + "/";
    QStringList files;
    const QDir fds("/proc/self/fd");
    for (const QString& entry : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(entry));
        if (target.startsWith(prefix))
            files.append(target);
    }
    return files;
}
