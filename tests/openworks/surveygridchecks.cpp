#include "surveygridchecks.h"

#include <QDomDocument>
#include <QFile>

#include <cmath>
#include <cstring>

bool VolumeMatrices::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot open " + path;
        return false;
    }
    const QByteArray bytes = file.read(2500);
    QDomDocument global;
    if (!global.setContent(bytes.left(int(qstrnlen(bytes.constData(), bytes.size()))))) {
        *error = "no global header in " + path;
        return false;
    }
    const int headerSize =
        global.documentElement().firstChildElement("headerSize").attribute("value").trimmed().toInt();
    QDomDocument object;
    if (headerSize <= 0 || !object.setContent(file.read(headerSize))) {
        *error = "no object XML in " + path;
        return false;
    }
    const QDomElement volume = object.documentElement().firstChildElement("object").firstChildElement("ZRSeismicBloc");
    const char* columns[4] = {"x", "y", "z", "t"};
    for (const auto& entry : {std::make_pair("fromBlocToWorldMatrix", &world), std::make_pair("fromBlocToSurveyMatrix", &survey)}) {
        const QDomElement matrix = volume.firstChildElement(entry.first);
        if (matrix.isNull()) {
            *error = QString("no %1 in %2").arg(entry.first, path);
            return false;
        }
        for (int r = 0; r < 4; ++r) {
            const QDomElement row = matrix.firstChildElement(QString("vect%1").arg(r));
            for (int c = 0; c < 4; ++c)
                (*entry.second)[r][c] = row.attribute(columns[c]).trimmed().toDouble();
        }
    }
    return true;
}

void VolumeMatrices::map(const double matrix[4][4], double i, double j, double k, double out[3])
{
    const double p[4] = {i, j, k, 1.0};
    for (int r = 0; r < 3; ++r) {
        out[r] = 0.0;
        for (int c = 0; c < 4; ++c)
            out[r] += matrix[r][c] * p[c];
    }
}

QString compareAtBlocSpacePositions(const VolumeFile& volume, const VolumeMatrices* matrices,
                                    const SourceLookup& source, double tolerance, int* compared)
{
    if (compared)
        *compared = 0;
    if (volume.framesPresent() < volume.dimz)
        return QString("%1 frames in the file, %2 expected").arg(volume.framesPresent()).arg(volume.dimz);
    for (int k = 0; k < volume.dimz; ++k) {
        for (int i = 0; i < volume.dimx; ++i) {
            double point[3];
            volume.surveyPoint(i, 0, k, point);
            const double traceNumber = std::round(point[0]);
            const double line = std::round(point[2]);
            if (std::fabs(point[0] - traceNumber) > 1e-6 || std::fabs(point[2] - line) > 1e-6)
                return QString("grid %1, %2 lies between lines or traces (trace %3, line %4)")
                    .arg(i)
                    .arg(k)
                    .arg(point[0], 0, 'f', 9)
                    .arg(point[2], 0, 'f', 9);
            const SourceTrace trace = source(int(line), int(traceNumber));
            const QString where = QString("frame %1 trace %2 (line %3, trace number %4)").arg(k).arg(i).arg(line).arg(traceNumber);
            for (int j = 0; j < volume.dimy; ++j) {
                const float expected = trace.samples && j < trace.samples->size() ? trace.samples->at(j) : -9999.0f;
                const float actual = volume.sample(k, i, j);
                if (std::memcmp(&expected, &actual, 4) != 0)
                    return QString("%1 sample %2: %3, expected %4").arg(where).arg(j).arg(double(actual)).arg(double(expected));
            }
            if (trace.samples && compared)
                ++*compared;
            if (matrices && trace.samples && trace.hasPosition) {
                double world[3];
                VolumeMatrices::map(matrices->world, i, 0, k, world);
                if (std::fabs(world[0] - trace.x) > tolerance || std::fabs(world[2] - trace.y) > tolerance)
                    return QString("%1 lies at %2, %3; its CDP at %4, %5")
                        .arg(where)
                        .arg(world[0], 0, 'f', 3)
                        .arg(world[2], 0, 'f', 3)
                        .arg(trace.x, 0, 'f', 3)
                        .arg(trace.y, 0, 'f', 3);
            }
        }
    }
    return QString();
}

QString compareAtSurveyPositions(const VolumeFile& volume, const SegyDataSet& dataSet)
{
    return compareAtBlocSpacePositions(volume, nullptr, [&](int line, int trace) {
        SourceTrace found;
        found.samples = dataSet.trace(line, trace);
        return found;
    }, 0.0);
}
