#include "horizonfaultchecks.h"

#include "owdevkit.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>

#include <cstring>
#include <vector>

namespace
{

QString value(const QDomElement& parent, const QString& name)
{
    return parent.firstChildElement(name).attribute(QStringLiteral("value")).trimmed();
}

template <size_t N>
QString textOf(const char (&field)[N])
{
    return QString::fromLatin1(field, int(strnlen(field, N)));
}

template <size_t N>
void setText(char (&field)[N], const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::memset(field, 0, N);
    std::memcpy(field, bytes.constData(), std::min<size_t>(N - 1, size_t(bytes.size())));
}

template <typename Record>
QVector<Record> readAll(int classId)
{
    int count = 0;
    void* list = nullptr;
    QVector<Record> records;
    if (gdiReadSet(classId, &count, &list) == 0)
        for (int i = 0; i < count; ++i)
            records.append(static_cast<Record*>(list)[i]);
    if (list)
        gdiFree(list);
    return records;
}

} // namespace

bool HorizonFileView::load(const QString& path, QString* error)
{
    const auto fail = [error](const QString& text) {
        *error = text;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open %1").arg(path));
    const QByteArray bytes = file.readAll();
    fileSize = bytes.size();
    if (fileSize < 2500)
        return fail(QStringLiteral("shorter than the global header"));
    const QByteArray block = bytes.left(2500);
    const int end = block.indexOf('\0');
    QDomDocument global;
    if (end < 0 || !global.setContent(block.left(end)))
        return fail(QStringLiteral("no global header"));
    const QDomElement root = global.documentElement();
    if (root.tagName() != QLatin1String("GlobalHeader") || value(root, "Version") != QLatin1String("WithTampon"))
        return fail(QStringLiteral("not a WithTampon global header"));
    headerSize = value(root, "headerSize").toLongLong();
    dataOffset = value(root, "DataOffset").toLongLong();
    if (headerSize <= 0 || dataOffset < 2500 + headerSize || dataOffset > fileSize)
        return fail(QStringLiteral("bad headerSize or DataOffset"));
    reservedAreaIsZero = true;
    for (qint64 i = 2500 + headerSize; i < dataOffset; ++i)
        reservedAreaIsZero = reservedAreaIsZero && bytes[int(i)] == '\0';
    QDomDocument objects;
    if (!objects.setContent(bytes.mid(2500, int(headerSize))))
        return fail(QStringLiteral("object XML does not parse"));
    const QDomElement object = objects.documentElement().firstChildElement(QStringLiteral("object"));
    objectType = object.attribute(QStringLiteral("type"));
    const QDomElement horizon = object.firstChildElement(QStringLiteral("ZR3DHorizon"));
    if (horizon.isNull())
        return fail(QStringLiteral("no ZR3DHorizon element"));
    const QDomElement draw = horizon.firstChildElement(QStringLiteral("ZR3DObjectDraw"));
    numberOfPoint = value(draw, "numberOfPoint").toLongLong();
    numberOffacette = value(draw, "numberOffacette").toLongLong();
    recordSize = value(draw, "recordSize").toInt();
    const QDomElement units = draw.firstChildElement(QStringLiteral("unitsObject"));
    initialVerticalUnit = value(units, "initialVerticalUnit");
    verticalUnit = value(units, "verticalUnit");
    version = value(horizon, "Version").toInt();
    numberOfControlPoint = value(horizon, "numberOfControlPoint").toLongLong();
    precision = value(horizon, "precision").toInt();
    dimx = value(horizon, "dimx").toInt();
    dimy = value(horizon, "dimy").toInt();
    dimz = value(horizon, "dimz").toInt();
    horizonType = value(horizon, "HorizonType").toInt();
    numberOfPickedPoint = value(horizon, "numberOfPickedPoint").toLongLong();
    numberOfPointPolygons = value(horizon, "numberOfPointPolygons").toLongLong();
    withData = value(horizon, "withData") == QLatin1String("1");
    if (recordSize != 4 && recordSize != 8)
        return fail(QStringLiteral("bad recordSize"));
    if (numberOfPickedPoint != 0 || numberOfPointPolygons != 0)
        return fail(QStringLiteral("picked points or polygons in an imported horizon"));

    // Body: vertices, triangles, (no picked points, no polygons), world points, data.
    const qint64 worldStart = dataOffset + numberOfPoint * 3 * recordSize + numberOffacette * 12;
    const qint64 expectedSize = worldStart + numberOfControlPoint * 24 + (withData ? numberOfControlPoint * 4 : 0);
    if (expectedSize != fileSize)
        return fail(QStringLiteral("file is %1 bytes, the layout says %2").arg(fileSize).arg(expectedSize));
    for (qint64 t = 0; t < numberOffacette * 3; ++t) {
        quint32 index = 0;
        std::memcpy(&index, bytes.constData() + dataOffset + numberOfPoint * 3 * recordSize + 4 * t, 4);
        if (index >= quint32(numberOfPoint))
            return fail(QStringLiteral("triangle index out of range"));
    }
    worldPoints.resize(int(numberOfControlPoint));
    for (qint64 n = 0; n < numberOfControlPoint; ++n)
        std::memcpy(worldPoints[int(n)].data(), bytes.constData() + worldStart + 24 * n, 24);
    return true;
}

bool readHorizonGrids(int horizonId, const QString& attribute, QVector<DevKitHorizonGrid>* grids, QString* error)
{
    grids->clear();
    gdiHorizonCatalog_t catalog;
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = horizonId;
    setText(catalog.attribute, attribute);
    if (gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog) != 0) {
        *error = QStringLiteral("no catalogue record");
        return false;
    }
    int count = 0;
    void* list = nullptr;
    if (gdiReadSubset(GDI_CLASS_HORIZON_CATALOG, &catalog, GDI_CLASS_HORIZON_DATA, &count, &list) != 0) {
        *error = QStringLiteral("no data records");
        return false;
    }
    std::vector<gdiHorizonData_t> data(static_cast<gdiHorizonData_t*>(list), static_cast<gdiHorizonData_t*>(list) + count);
    gdiRelease(GDI_CLASS_HORIZON_DATA, count, list);
    for (const gdiHorizonData_t& record : data) {
        DevKitHorizonGrid grid;
        grid.surveyId = record.surveyId;
        grid.gridId = record.gridId;
        grid.dataMin = record.dataMin;
        grid.dataMax = record.dataMax;
        grid.domain = textOf(record.domain);
        gdi3dSurvey_t survey;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        survey.id = record.surveyId;
        if (gdiRead(GDI_CLASS_3D_SURVEY, &survey) != 0) {
            *error = QStringLiteral("no survey %1").arg(record.surveyId);
            return false;
        }
        grid.surveyName = textOf(survey.name);
        const SurveyProjectScope project(grid.surveyName);
        int status = project.isOpen() ? 0 : 1;
        int projectType = 3;
        if (status == 0)
            srvbnd_(&projectType, &grid.firstLine, &grid.firstTrace, &grid.lastLine, &grid.lastTrace, &status);
        const QByteArray name = grid.surveyName.toLocal8Bit();
        const float null = 1.0e37f;
        int handle = 0;
        if (status == 0)
            hrzopn_(&status, name.constData(), &grid.firstLine, &grid.lastLine, &grid.firstTrace, &grid.lastTrace,
                    &null, &handle);
        if (status != 0) {
            *error = QStringLiteral("cannot open the horizon subsystem of %1").arg(grid.surveyName);
            return false;
        }
        grid.values.resize(grid.columns() * (grid.lastLine - grid.firstLine + 1));
        const int read = 1;
        const int rowLength = grid.columns();
        hrzrw_(&grid.gridId, &read, &status, &grid.firstLine, &grid.lastLine, &grid.firstTrace, &grid.lastTrace,
               grid.values.data(), &rowLength);
        int closeStatus = 0;
        hrzcls_(&closeStatus);
        if (status != 0) {
            *error = QStringLiteral("hrzrw_ status %1").arg(status);
            return false;
        }
        grids->append(grid);
    }
    return true;
}

int horizonIdOf(const QString& name, const QString& attribute)
{
    for (const gdiHorizonCatalog_t& record : readAll<gdiHorizonCatalog_t>(GDI_CLASS_HORIZON_CATALOG))
        if (textOf(record.name) == name && textOf(record.attribute) == attribute)
            return record.id;
    return 0;
}

bool readFaultSegments(int planeId, const QString& name, QVector<FaultSegmentPoints>* segments, QString* domain,
                       QString* error)
{
    segments->clear();
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    plane.id = planeId;
    setText(plane.name, name);
    if (gdiRead(GDI_CLASS_FAULT_PLANE, &plane) != 0) {
        *error = QStringLiteral("no fault plane");
        return false;
    }
    *domain = textOf(plane.domain);
    int count = 0;
    void* list = nullptr;
    if (gdiReadSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count, &list) != 0) {
        *error = QStringLiteral("no segments");
        return false;
    }
    gdiSetVectorAccess(GDI_CLASS_FAULT_SEGMENT, 32, 1);
    auto* records = static_cast<gdiFaultSegment_t*>(list);
    bool ok = true;
    for (int s = 0; s < count && ok; ++s) {
        ok = gdiReadVector(GDI_CLASS_FAULT_SEGMENT, &records[s]) == 0;
        FaultSegmentPoints points;
        for (int p = 0; ok && p < records[s].pointCount; ++p)
            points.append({records[s].points[3 * p], records[s].points[3 * p + 1], records[s].points[3 * p + 2]});
        segments->append(points);
    }
    gdiRelease(GDI_CLASS_FAULT_SEGMENT, count, list);
    if (!ok)
        *error = QStringLiteral("gdiReadVector failed");
    return ok;
}

int faultPlaneIdOf(const QString& name)
{
    for (const gdiFaultPlane_t& record : readAll<gdiFaultPlane_t>(GDI_CLASS_FAULT_PLANE))
        if (textOf(record.name) == name)
            return record.id;
    return 0;
}

bool mapPositionOf(double line, double trace, double* x, double* y)
{
    const int option = 1;
    const float l = float(line);
    const float t = float(trace);
    int status = 0;
    intorw_(&option, &l, &t, x, y, &status);
    return status == 0;
}

bool gridPositionOf(double x, double y, double* line, double* trace)
{
    const int option = 1;
    int status = 0;
    rwtoin_(&option, &x, &y, line, trace, &status);
    return status == 0;
}

SurveyProjectScope::SurveyProjectScope(const QString& survey)
{
    const QByteArray name = survey.toLocal8Bit();
    int status = 0;
    int projectType = 3;
    const int length = name.size();
    prjin2_(&status, &projectType, name.constData(), &length);
    m_open = status == 0;
}

SurveyProjectScope::~SurveyProjectScope()
{
    if (m_open) {
        const int projectType = 3;
        const int zero = 0;
        prjend_(&projectType, &zero);
    }
}

bool surveyProjectOpen()
{
    int projectType = 3, first = 0, firstTrace = 0, last = 0, lastTrace = 0, status = 0;
    srvbnd_(&projectType, &first, &firstTrace, &last, &lastTrace, &status);
    return status == 0;
}

bool horizonSubsystemOpen()
{
    const int id = 1, read = 1, row = 1;
    int first = 1, status = 0;
    float value = 0.0f;
    hrzrw_(&id, &read, &status, &first, &first, &first, &first, &value, &row);
    return status != 2;
}

QMap<QString, QByteArray> folderChecksums(const QString& folder)
{
    QMap<QString, QByteArray> sums;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        sums.insert(QDir(folder).relativeFilePath(path), hash.result());
    }
    return sums;
}

QStringList temporaryFilesIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.partial")}, QDir::Files | QDir::Hidden | QDir::System);
}

QString sha256Of(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}
