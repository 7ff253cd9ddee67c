// Volume export through the exchange core on the seeded demo: the new survey
// and data set read back through the DevKit, the seismic file read with
// segyio against volumes of known samples and geometry, round trips through
// the survey import, names, refusals, every DevKit failure and a cancel
// leaving nothing behind, and the dry run writing nothing.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owguards.h"
#include "owsim.h"
#include "owunitresolution.h"
#include "surveyimportchecks.h"
#include "volumeexportchecks.h"
#include "zrexchangecontext.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrprojectbrowsermodel.h"
#include "zrscriptedexchangeui.h"
#include "zrseismicbloc.h"
#include "zrsurveyimport.h"
#include "zrtransferreport.h"
#include "zrtransferverifier.h"
#include "zrvolumeexport.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QtTest>

#include <cmath>
#include <cstring>

Q_DECLARE_METATYPE(SyntheticVolume)
Q_DECLARE_METATYPE(VolumeExportOutcome)

namespace
{

/// What a failed export must leave as it was.
struct Snapshot
{
    int surveys = 0;
    int dataSets = 0;
    QStringList files;
    QStringList folders;
};

int recordCount(int classId)
{
    int count = 0;
    void* list = nullptr;
    const int status = gdiReadSet(classId, &count, &list);
    if (list)
        gdiFree(list);
    return status == 0 ? count : 0;
}

QStringList entriesBelow(const QString& folder, QDir::Filters filters)
{
    QStringList entries;
    QDirIterator it(folder, filters | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(QDir(folder).relativeFilePath(it.next()));
    entries.sort();
    return entries;
}

/// Progress windows that cancel the top-level bar once the bar titled
/// `label` has been advanced `frames` times.
class CancellingFactory : public VsProgressBarFactoryAbstract
{
public:
    class Window : public VsProgressBarAbstract
    {
    public:
        Window(CancellingFactory* factory, int topLevelId)
            : m_factory(factory)
            , m_topLevelId(topLevelId)
        {
        }
        void create(int id, int, const QString& title, int, bool) override { m_titles.insert(id, title); }
        void initialize(int, int, const QString&) override { }
        void increment(int id, int step) override
        {
            if (m_titles.value(id) != m_factory->label)
                return;
            m_factory->advanced += step;
            if (m_factory->advanced == m_factory->frames)
                cancelProgressBar(m_topLevelId);
        }
        void close(int id) override
        {
            if (id == m_topLevelId)
                delete this;
        }

    private:
        CancellingFactory* m_factory;
        int m_topLevelId;
        QHash<int, QString> m_titles;
    };

    VsProgressBarAbstract* createProgressBar(int topLevelId) override { return new Window(this, topLevelId); }

    QString label;
    int frames = 0;
    int advanced = 0;
};

bool closeEnough(double a, double b, double relative = 1e-9)
{
    return std::fabs(a - b) <= relative * std::max({1.0, std::fabs(a), std::fabs(b)});
}

} // namespace

class TestVolumeExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void segyEqualsTheVolume_data();
    void segyEqualsTheVolume();
    void reportOfAnExport();
    void feetProject();
    void roundTripThroughOpenWorks_data();
    void roundTripThroughOpenWorks();
    void hostRoundTrip();
    void names_data();
    void names();
    void dataSetNameTaken();
    void remoteVolume();
    void commentedOutOtherFiles();
    void surveyExistsAlready();
    void missingFile();
    void failures_data();
    void failures();
    void cancelInTheMiddleOfTheFrames();
    void dryRunChangesNothing();
    void candidatesFromHostItems();

private:
    ZRExchangeContext context(ZRTransferReport* report = nullptr);
    QString volumeFolder() const { return m_fixture->project().directoryForType(1); }
    QString writeVolume(const QString& name, const SyntheticVolume& volume, const QString& remote = QString());
    Snapshot snapshot() const;
    /// Records and seismic files the same; with folders also the folders (the
    /// DevKit keeps the folders it made for files it removed).
    void compareSnapshots(const Snapshot& before, const Snapshot& after, bool folders = true);
    bool readSurvey(const QString& name, gdi3dSurvey_t* survey);
    bool readDataSets(const QString& surveyName, QVector<gdiSeismicDataSet_t>* dataSets);
    /// Whether the DevKit counts grid coordinates from the survey's first line
    /// and trace (the convention of the seismic calls), rather than taking the
    /// line and trace numbers themselves as grid coordinates.
    void checkExport(const QString& surveyName, const QString& path, const SyntheticVolume& volume,
                     double metresToProject);
    QString importDataSet(const QString& survey, const QString& dataSet);
    void compareHostVolumes(const QString& first, const QString& second);
    void reopen(const QString& project);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    std::unique_ptr<ZRScriptedExchangeUi> m_ui;
    std::unique_ptr<ZROpenworksSurveyModel> m_catalogue;
    QString m_home;
    QString m_dataFolder;
};

void TestVolumeExport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_home = m_fixture->environment().openWorksHome();
    m_dataFolder = districtDataFolderOf(m_home, ExchangeFixture::District);
    QVERIFY(QDir(m_dataFolder).exists());
    std::string error;
    QVERIFY2(owsim::createProject(m_home.toStdString(), ExchangeFixture::District, "FEET",
                                  owsim::MeasurementSystem::Feet, &error),
             error.c_str());
    m_session = std::make_unique<ZROpenworksSession>();
    QVERIFY(m_session->start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    reopen(ExchangeFixture::Project);
    QVERIFY(QDir().mkpath(volumeFolder()));
}

void TestVolumeExport::reopen(const QString& project)
{
    QString error;
    QVERIFY2(m_session->openProject(project, &error), qPrintable(error));
    m_catalogue = std::make_unique<ZROpenworksSurveyModel>();
    ZRProgressBarGuard reading(1, "Reading OpenWorks® Data");
    m_catalogue->loadFromOpenworks(reading.id());
}

void TestVolumeExport::init()
{
    owsim::clearInjections();
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
}

void TestVolumeExport::cleanup()
{
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
    // Nothing of the DevKit is left open by an export.
    QCOMPARE(openFilesUnder(m_dataFolder), QStringList());
}

void TestVolumeExport::cleanupTestCase()
{
    m_catalogue.reset();
    m_session.reset();
}

ZRExchangeContext TestVolumeExport::context(ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = &m_fixture->project();
    context.session = m_session.get();
    context.ui = m_ui.get();
    context.unitTable = openWorksUnitAbbreviationTable();
    context.surveyModel = m_catalogue.get();
    context.report = report;
    return context;
}

QString TestVolumeExport::writeVolume(const QString& name, const SyntheticVolume& volume, const QString& remote)
{
    const QString path = volumeFolder() + "/" + name;
    QString error;
    if (!volume.write(path, &error, remote)) {
        qWarning("%s", qPrintable(error));
        return QString();
    }
    return path;
}

Snapshot TestVolumeExport::snapshot() const
{
    Snapshot state;
    state.surveys = recordCount(GDI_CLASS_3D_SURVEY);
    state.dataSets = recordCount(GDI_CLASS_SEISMIC_DATA_SET);
    state.files = entriesBelow(m_dataFolder, QDir::Files);
    state.folders = entriesBelow(m_dataFolder, QDir::Dirs);
    return state;
}

void TestVolumeExport::compareSnapshots(const Snapshot& before, const Snapshot& after, bool folders)
{
    QCOMPARE(after.surveys, before.surveys);
    QCOMPARE(after.dataSets, before.dataSets);
    QCOMPARE(after.files, before.files);
    if (folders)
        QCOMPARE(after.folders, before.folders);
}

bool TestVolumeExport::readSurvey(const QString& name, gdi3dSurvey_t* survey)
{
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, survey);
    owSetText(survey->name, name.toLocal8Bit());
    return gdiRead(GDI_CLASS_3D_SURVEY, survey) == 0;
}

bool TestVolumeExport::readDataSets(const QString& surveyName, QVector<gdiSeismicDataSet_t>* dataSets)
{
    gdi3dSurvey_t survey;
    if (!readSurvey(surveyName, &survey))
        return false;
    OwRecordList<gdiSeismicDataSet_t> list(GDI_CLASS_SEISMIC_DATA_SET);
    const int status = list.readSubset(GDI_CLASS_3D_SURVEY, &survey);
    if (status != 0 && status != GDI_NO_DATA)
        return false;
    dataSets->clear();
    for (int i = 0; i < list.count(); ++i)
        dataSets->append(list[i]);
    return true;
}

void TestVolumeExport::checkExport(const QString& surveyName, const QString& path, const SyntheticVolume& volume,
                                   double metresToProject)
{
    // What the volume file holds, read from its layout: the geometry to expect.
    HostVolumeFile file;
    QString error;
    QVERIFY2(file.load(path, &error), qPrintable(error));
    const auto whole = [](double value) {
        return std::fabs(value - std::round(value)) <= 1e-6 ? std::round(value) : value;
    };
    double point[3];
    HostVolumeFile::map(file.surveyMatrix, 0, 0, 0, point);
    const double lineShift = whole(point[2]) == 0.0 ? 1.0 : 0.0;
    const double traceShift = whole(point[0]) == 0.0 ? 1.0 : 0.0;
    const double verticalStart = point[1];
    HostVolumeFile::map(file.surveyMatrix, 0, volume.dimy, 0, point);
    const double sampleInterval = (point[1] - verticalStart) / volume.dimy;
    const auto lineOf = [&](int k) {
        double at[3];
        HostVolumeFile::map(file.surveyMatrix, 0, 0, k, at);
        return whole(at[2]) + lineShift;
    };
    const auto traceOf = [&](int i) {
        double at[3];
        HostVolumeFile::map(file.surveyMatrix, i, 0, 0, at);
        return whole(at[0]) + traceShift;
    };
    const auto mapPosition = [&](int i, int k, double* x, double* y) {
        double at[3];
        HostVolumeFile::map(file.worldMatrix, i, 0, k, at);
        *x = at[0] * metresToProject;
        *y = at[2] * metresToProject;
    };

    // The survey record, read back through the DevKit.
    gdi3dSurvey_t survey;
    QVERIFY(readSurvey(surveyName, &survey));
    QCOMPARE(owText(survey.name), surveyName);
    QCOMPARE(owText(survey.displayName), surveyName);
    QCOMPARE(owText(survey.orientation), QStringLiteral("TRACE"));
    QCOMPARE(survey.traceCount, volume.dimx);
    QCOMPARE(survey.lineCount, volume.dimz);
    QCOMPARE(survey.firstTrace, traceOf(0));
    QCOMPARE(survey.lastTrace, traceOf(volume.dimx - 1));
    QCOMPARE(survey.firstLine, lineOf(0));
    QCOMPARE(survey.lastLine, lineOf(volume.dimz - 1));
    double x = 0.0, y = 0.0;
    const int cornerGrid[4][2] = {
        {0, 0}, {0, volume.dimz - 1}, {volume.dimx - 1, volume.dimz - 1}, {volume.dimx - 1, 0}};
    for (int corner = 0; corner < 4; ++corner) {
        mapPosition(cornerGrid[corner][0], cornerGrid[corner][1], &x, &y);
        QVERIFY2(closeEnough(survey.corner[2 * corner], x, 1e-12)
                     && closeEnough(survey.corner[2 * corner + 1], y, 1e-12),
                 qPrintable(QString("corner %1: (%2, %3), expected (%4, %5)")
                                .arg(20 + 2 * corner)
                                .arg(survey.corner[2 * corner], 0, 'g', 17)
                                .arg(survey.corner[2 * corner + 1], 0, 'g', 17)
                                .arg(x, 0, 'g', 17)
                                .arg(y, 0, 'g', 17)));
        // The file's geometry is the volume's to the 6 decimals of its XML.
        double analyticX, analyticY;
        volume.mapPosition(cornerGrid[corner][0], cornerGrid[corner][1], &analyticX, &analyticY);
        QVERIFY(std::fabs(x - analyticX * metresToProject) < 1e-4);
    }

    // The data set record.
    QVector<gdiSeismicDataSet_t> dataSets;
    QVERIFY(readDataSets(surveyName, &dataSets));
    QCOMPARE(dataSets.size(), 1);
    const gdiSeismicDataSet_t& dataSet = dataSets[0];
    QCOMPARE(owText(dataSet.name), surveyName.left(38) + "_1");
    QCOMPARE(dataSet.sampleCount, volume.dimy);
    const bool isTime = volume.verticalUnit == Millisecond;
    const double verticalFactor = isTime ? 1.0 : metresToProject;
    QVERIFY(closeEnough(dataSet.verticalStart, verticalStart * verticalFactor, 1e-12));
    QVERIFY(closeEnough(dataSet.sampleInterval, sampleInterval * verticalFactor, 1e-12));
    QCOMPARE(owText(dataSet.domain), isTime ? QStringLiteral("TIME") : QStringLiteral("DEPTH"));
    QCOMPARE(owText(dataSet.unit),
             isTime                       ? QStringLiteral("ms")
                 : metresToProject == 1.0 ? QStringLiteral("m")
                                          : QStringLiteral("ft"));
    double minimum = 0.0, maximum = 0.0;
    volume.valueRange(&minimum, &maximum);
    QCOMPARE(dataSet.dataMin, minimum);
    QCOMPARE(dataSet.dataMax, maximum);
    QCOMPARE(dataSet.nullValue, -9999.0);
    QCOMPARE(dataSet.inlineMin, std::min(lineOf(0), lineOf(volume.dimz - 1)));
    QCOMPARE(dataSet.inlineMax, std::max(lineOf(0), lineOf(volume.dimz - 1)));
    QCOMPARE(dataSet.xlineMin, std::min(traceOf(0), traceOf(volume.dimx - 1)));
    QCOMPARE(dataSet.xlineMax, std::max(traceOf(0), traceOf(volume.dimx - 1)));

    // The seismic file, read with segyio: sample for sample, line and trace
    // numbers, CDP coordinates (in the project's unit), vertical axis.
    SegyFile segy;
    QVERIFY2(segy.load(m_dataFolder + "/" + owText(dataSet.fileName), &error), qPrintable(error));
    QCOMPARE(segy.format, 5);
    QCOMPARE(segy.samples, volume.dimy);
    QCOMPARE(segy.traces.size(), volume.dimx * volume.dimz);
    for (int k = 0; k < volume.dimz; ++k) {
        for (int i = 0; i < volume.dimx; ++i) {
            const SegyFile::Trace* trace = segy.find(int(lineOf(k)), int(traceOf(i)));
            QVERIFY2(trace, qPrintable(QString("no trace of line %1, trace %2").arg(lineOf(k)).arg(traceOf(i))));
            QCOMPARE(trace->traceId, 1);
            QCOMPARE(trace->sampleCount, volume.dimy);
            QCOMPARE(trace->delay, int(std::lround(verticalStart * verticalFactor)));
            QCOMPARE(trace->sampleInterval, int(std::lround(sampleInterval * verticalFactor * 1000.0)));
            for (int j = 0; j < volume.dimy; ++j) {
                const float expected = volume.value(k, i, j);
                const float inFile = file.sample(k, i, j);
                if (std::memcmp(&trace->samples[j], &expected, sizeof expected) != 0
                    || std::memcmp(&inFile, &expected, sizeof expected) != 0)
                    QFAIL(qPrintable(QString("line %1 trace %2 sample %3: %4, volume %5")
                                         .arg(lineOf(k))
                                         .arg(traceOf(i))
                                         .arg(j)
                                         .arg(trace->samples[j])
                                         .arg(file.sample(k, i, j))));
            }
            const double tolerance = 0.51
                * (trace->scalar < 0       ? 1.0 / -trace->scalar
                       : trace->scalar > 0 ? trace->scalar
                                           : 1.0);
            mapPosition(i, k, &x, &y);
            QVERIFY2(std::fabs(trace->x() - x) <= tolerance && std::fabs(trace->y() - y) <= tolerance,
                     qPrintable(QString("CDP of line %1 trace %2: (%3, %4), expected (%5, %6)")
                                    .arg(lineOf(k))
                                    .arg(traceOf(i))
                                    .arg(trace->x(), 0, 'f', 3)
                                    .arg(trace->y(), 0, 'f', 3)
                                    .arg(x, 0, 'f', 3)
                                    .arg(y, 0, 'f', 3)));
        }
    }
    QCOMPARE(segy.binarySamples, volume.dimy);
    QCOMPARE(segy.binaryInterval, int(std::lround(sampleInterval * verticalFactor * 1000.0)));

    // The catalogue lists the new survey with its data set.
    bool listed = false;
    for (int row = 0; row < m_catalogue->rowCount(); ++row)
        listed = listed
            || (m_catalogue->index(row, ZROpenworksSurveyModel::SurveyNameColumn).data().toString() == surveyName
                && m_catalogue->index(row, ZROpenworksSurveyModel::DataSetColumn).data().toString()
                    == owText(dataSet.name));
    QVERIFY(listed);
}

void TestVolumeExport::segyEqualsTheVolume_data()
{
    QTest::addColumn<SyntheticVolume>("volume");
    SyntheticVolume base;
    QTest::newRow("floats stored trace by trace") << base;
    SyntheticVolume image = base;
    image.transposed = false;
    QTest::newRow("floats stored row by row") << image;
    SyntheticVolume shorts = base;
    shorts.dataSize = ZRBloc::SHORT_SIZE;
    QTest::newRow("16-bit samples") << shorts;
    SyntheticVolume notANumber = base;
    notANumber.withNotANumber = true;
    notANumber.dimy = 13; // not a multiple of four
    QTest::newRow("NaN samples") << notANumber;
    SyntheticVolume depth = base;
    depth.verticalUnit = Meter;
    depth.verticalStart = 500.0;
    depth.sampleInterval = 10.0;
    QTest::newRow("depth in metres") << depth;
    SyntheticVolume zero = base;
    zero.firstLine = 0.0;
    zero.firstTrace = 0.0;
    QTest::newRow("numbers from 0 start at 1") << zero;
    SyntheticVolume numbered = base;
    numbered.firstLine = 100.0;
    numbered.firstTrace = 300.0;
    QTest::newRow("lines from 100, traces from 300") << numbered;
    SyntheticVolume stepped = base;
    stepped.firstLine = 20.0;
    stepped.lineStep = -2.0;
    stepped.firstTrace = 5.0;
    stepped.traceStep = 5.0;
    QTest::newRow("descending lines, steps of 2 and 5") << stepped;
}

void TestVolumeExport::segyEqualsTheVolume()
{
    QFETCH(SyntheticVolume, volume);
    const QString name = QString("segy_%1").arg(QTest::currentDataTag()).replace(' ', '_').left(40);
    const QString path = writeVolume(name, volume);
    QVERIFY(!path.isEmpty());
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    const OwSurveyRecord survey = exportVolume(context(), path, -1, &outcome);
    for (const auto& message : m_ui->messages)
        qWarning("%s: %s", qPrintable(message.title), qPrintable(message.text));
    QCOMPARE(outcome, VolumeExportOutcome::Exported);
    QVERIFY(survey);
    const QString surveyName = surveyNameForVolume(path);
    QCOMPARE(owText(survey->name), surveyName);
    QVERIFY(survey->id > 0);
    QCOMPARE(m_ui->messages.size(), 0);
    checkExport(surveyName, path, volume, 1.0);
}

void TestVolumeExport::reportOfAnExport()
{
    SyntheticVolume volume;
    const QString path = writeVolume("reported_volume", volume);
    ZRTransferReport report;
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    QVERIFY(exportVolume(context(&report), path, -1, &outcome));
    QCOMPARE(outcome, VolumeExportOutcome::Exported);
    QCOMPARE(report.itemCount(), 1);
    const ZRTransferReport::Item& item = report.item(0);
    QCOMPARE(item.sourceSystem, QStringLiteral("Velostrat"));
    QCOMPARE(item.objectClass, QStringLiteral("volume"));
    QCOMPARE(item.sourceName, QStringLiteral("reported_volume"));
    QCOMPARE(item.source.value("path").toString(), QDir::toNativeSeparators(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(item.source.value("bytes").toDouble(), double(bytes.size()));
    QCOMPARE(item.source.value("sha256").toString(),
             QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
    QCOMPARE(item.outcome, ZRTransferReport::Exported);
    QCOMPARE(item.action, ZRTransferReport::Create);

    // The targets name what the DevKit holds.
    gdi3dSurvey_t survey;
    QVERIFY(readSurvey("reported volume", &survey));
    QVector<gdiSeismicDataSet_t> dataSets;
    QVERIFY(readDataSets("reported volume", &dataSets));
    QCOMPARE(dataSets.size(), 1);
    QCOMPARE(item.target.value("surveyName").toString(), QStringLiteral("reported volume"));
    QCOMPARE(item.target.value("surveyId").toInt(), survey.id);
    QCOMPARE(item.target.value("dataSetName").toString(), QStringLiteral("reported volume_1"));
    QCOMPARE(item.target.value("dataSetId").toInt(), dataSets[0].id);
    QCOMPARE(item.target.value("fileName").toString(), owText(dataSets[0].fileName));
    QCOMPARE(item.target.value("project").toString(), QString(ExchangeFixture::Project));

    // Corners in project units with their unit entries (metres to metres here).
    const QJsonObject corners = item.geometry.value("survey").toObject().value("corners").toObject();
    for (int field = 20; field <= 27; ++field)
        QCOMPARE(corners.value(QString::number(field)).toDouble(), survey.corner[field - 20]);
    QCOMPARE(item.units.size(), 9);
    for (int field = 20; field <= 27; ++field) {
        const QJsonObject unit = item.units[field - 20].toObject();
        QCOMPARE(unit.value("quantity").toString(), QString("survey corner field %1").arg(field));
        QCOMPARE(unit.value("fromUnitId").toInt(), 1);
        QCOMPARE(unit.value("toUnitId").toInt(), 1);
        QCOMPARE(unit.value("factor").toDouble(), 1.0);
    }
    QCOMPARE(item.geometry.value("survey").toObject().value("firstLine").toDouble(), 1.0);
    QCOMPARE(item.geometry.value("survey").toObject().value("lastTrace").toDouble(), double(volume.dimx));
    QCOMPARE(item.geometry.value("dimx").toInt(), volume.dimx);
    QCOMPARE(item.counts.value("traces").toDouble(), double(volume.dimx * volume.dimz));
    QCOMPARE(item.counts.value("tracesWritten").toDouble(), double(volume.dimx * volume.dimz));
    QCOMPARE(item.counts.value("framesWritten").toInt(), volume.dimz);
    double minimum = 0.0, maximum = 0.0;
    volume.valueRange(&minimum, &maximum);
    QCOMPARE(item.valueRange.value("min").toDouble(), minimum);
    QCOMPARE(item.valueRange.value("max").toDouble(), maximum);

    // What arrived equals what left; one sample changed afterwards is found.
    report.setExchange(QStringLiteral("export-volumes"));
    {
        ZRTransferVerifier verifier(context());
        QVERIFY2(verifier.verifyReport(report.toJson()), qPrintable(verifier.differences().join('\n')));
        QCOMPARE(verifier.itemsVerified(), 1);
    }
    HostVolumeFile layout;
    QString error;
    QVERIFY2(layout.load(path, &error), qPrintable(error));
    file.close();
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(layout.dataOffset + 4 * 7));
    const float changed = 123456.0f;
    file.write(reinterpret_cast<const char*>(&changed), 4);
    file.close();
    ZRTransferVerifier verifier(context());
    QVERIFY(!verifier.verifyReport(report.toJson()));
    QCOMPARE(verifier.differences().size(), 2);
    QVERIFY2(verifier.differences()[0].contains("changed after the transfer"), qPrintable(verifier.differences()[0]));
    QVERIFY2(verifier.differences()[1].contains(": 123456 in the volume, "), qPrintable(verifier.differences()[1]));
}

void TestVolumeExport::feetProject()
{
    reopen("FEET");
    const auto backToTheDemo = qScopeGuard([this] { reopen(ExchangeFixture::Project); });
    SyntheticVolume volume;
    volume.verticalUnit = Meter;
    volume.verticalStart = 914.4;
    volume.sampleInterval = 3.048;
    const QString path = writeVolume("feet_volume", volume);
    ZRTransferReport report;
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    QVERIFY(exportVolume(context(&report), path, -1, &outcome));
    QCOMPARE(outcome, VolumeExportOutcome::Exported);
    QCOMPARE(m_ui->messages.size(), 0);
    // The corners (and the depth axis) in international feet, the exact factor 1 / 0.3048.
    checkExport("feet volume", path, volume, 1.0 / 0.3048);
    const ZRTransferReport::Item& item = report.item(0);
    for (int field = 20; field <= 27; ++field) {
        const QJsonObject unit = item.units[field - 20].toObject();
        QCOMPARE(unit.value("toUnitId").toInt(), int(OW_UNIT_FEET));
        QVERIFY(closeEnough(unit.value("factor").toDouble(), 1.0 / 0.3048, 1e-15));
    }
    const QJsonObject vertical = item.units[8].toObject();
    QCOMPARE(vertical.value("quantity").toString(), QStringLiteral("vertical depth"));
    QCOMPARE(vertical.value("toUnitId").toInt(), int(OW_UNIT_FEET));

    // Imported back, the map coordinates and the depth axis are in metres
    // again: the whole world matrix is the volume's.
    const QString imported = importDataSet("feet volume", "feet volume_1");
    QVERIFY(!imported.isEmpty());
    HostVolumeFile original, back;
    QString error;
    QVERIFY2(original.load(path, &error), qPrintable(error));
    QVERIFY2(back.load(imported, &error), qPrintable(error));
    QCOMPARE(back.verticalUnit, QStringLiteral("Meter"));
    for (int m = 0; m < 16; ++m)
        QVERIFY2(
            closeEnough(back.worldMatrix[m], original.worldMatrix[m], 1e-9),
            qPrintable(
                QString("world matrix [%1]: %2, was %3").arg(m).arg(back.worldMatrix[m]).arg(original.worldMatrix[m])));
    QCOMPARE(back.frameBytes(), original.frameBytes());
}

QString TestVolumeExport::importDataSet(const QString& survey, const QString& dataSet)
{
    ZROpenworksSurveyModel catalogue;
    {
        ZRProgressBarGuard reading(1, "Reading OpenWorks® Data");
        catalogue.loadFromOpenworks(reading.id());
    }
    QVector<int> rows;
    for (int row = 0; row < catalogue.rowCount(); ++row)
        if (catalogue.index(row, ZROpenworksSurveyModel::SurveyNameColumn).data().toString() == survey
            && catalogue.index(row, ZROpenworksSurveyModel::DataSetColumn).data().toString() == dataSet)
            rows.append(row);
    if (rows.size() != 1)
        return QString();
    const QString target = volumeFolder() + "/" + dataSet;
    QFile::remove(target);
    if (importSurveys(context(), surveyImportRequestsFromRows(catalogue, rows, nullptr)) != 1)
        return QString();
    return target;
}

void TestVolumeExport::compareHostVolumes(const QString& first, const QString& second)
{
    HostVolumeFile a, b;
    QString error;
    QVERIFY2(a.load(first, &error), qPrintable(error));
    QVERIFY2(b.load(second, &error), qPrintable(error));
    QCOMPARE(b.dimx, a.dimx);
    QCOMPARE(b.dimy, a.dimy);
    QCOMPARE(b.dimz, a.dimz);
    QCOMPARE(b.dataSize, a.dataSize);
    QCOMPARE(b.verticalUnit, a.verticalUnit);
    for (int m = 0; m < 16; ++m) {
        QVERIFY2(closeEnough(b.worldMatrix[m], a.worldMatrix[m]),
                 qPrintable(QString("world matrix [%1]: %2, was %3")
                                .arg(m)
                                .arg(b.worldMatrix[m], 0, 'g', 17)
                                .arg(a.worldMatrix[m], 0, 'g', 17)));
        QVERIFY2(closeEnough(b.surveyMatrix[m], a.surveyMatrix[m]),
                 qPrintable(QString("survey matrix [%1]: %2, was %3")
                                .arg(m)
                                .arg(b.surveyMatrix[m], 0, 'g', 17)
                                .arg(a.surveyMatrix[m], 0, 'g', 17)));
    }
    for (int k = 0; k < a.dimz; ++k)
        for (int i = 0; i < a.dimx; ++i)
            for (int j = 0; j < a.dimy; ++j) {
                const float va = a.sample(k, i, j);
                const float vb = b.sample(k, i, j);
                if (std::memcmp(&va, &vb, sizeof va) != 0)
                    QFAIL(qPrintable(
                        QString("frame %1 trace %2 sample %3: %4, was %5").arg(k).arg(i).arg(j).arg(vb).arg(va)));
            }
}

void TestVolumeExport::roundTripThroughOpenWorks_data()
{
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QString>("dataSet");
    QTest::newRow("time, \"TRACE\" survey") << "North Sea 3D"
                                            << "NS Time Full";
    QTest::newRow("depth") << "North Sea 3D"
                           << "NS Depth";
    QTest::newRow("\"LINE\" survey, lines descending, sparse") << "Dome Ridge 3D"
                                                               << "Dome Time Sparse";
}

void TestVolumeExport::roundTripThroughOpenWorks()
{
    QFETCH(QString, survey);
    QFETCH(QString, dataSet);
    // Imported from the demo, exported, imported again: the same volume.
    const QString first = importDataSet(survey, dataSet);
    QVERIFY(!first.isEmpty());
    const QString copy = volumeFolder() + "/" + dataSet.toUpper().replace(' ', '_');
    QFile::remove(copy);
    QVERIFY(QFile::copy(first, copy));
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    QVERIFY(exportVolume(context(), copy, -1, &outcome));
    QCOMPARE(outcome, VolumeExportOutcome::Exported);
    const QString exportedSurvey = surveyNameForVolume(copy);
    const QString second = importDataSet(exportedSurvey, exportedSurvey + "_1");
    QVERIFY(!second.isEmpty());
    QCOMPARE(m_ui->messages.size(), 0);
    compareHostVolumes(first, second);
}

void TestVolumeExport::hostRoundTrip()
{
    // A volume of the host exported and imported back (both conventions of
    // grid coordinates agree for numbers starting at 1).
    SyntheticVolume volume;
    volume.dimx = 13;
    volume.dimz = 9;
    volume.dimy = 40;
    const QString path = writeVolume("host_round_trip", volume);
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    QVERIFY(exportVolume(context(), path, -1, &outcome));
    QCOMPARE(outcome, VolumeExportOutcome::Exported);
    const QString back = importDataSet("host round trip", "host round trip_1");
    QVERIFY(!back.isEmpty());
    compareHostVolumes(path, back);
}

void TestVolumeExport::names_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QString>("dataSet");
    QTest::newRow("underscores") << "my_volume_2"
                                 << "my volume 2"
                                 << "my volume 2_1";
    const QString sixty = "a_sixty_character_volume_name_that_is_cut_to_forty_xxxxxxxxx";
    QCOMPARE(sixty.size(), 60);
    QTest::newRow("60 characters") << sixty << "a sixty character volume name that is cu"
                                   << "a sixty character volume name that is _1";
    QTest::newRow("dots kept") << "Seis v1.5"
                               << "Seis v1.5"
                               << "Seis v1.5_1";
}

void TestVolumeExport::names()
{
    QFETCH(QString, file);
    QFETCH(QString, survey);
    QFETCH(QString, dataSet);
    QCOMPARE(surveyNameForVolume("/some/folder/" + file), survey);
    const QString path = writeVolume(file, SyntheticVolume());
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    const OwSurveyRecord record = exportVolume(context(), path, -1, &outcome);
    QCOMPARE(outcome, VolumeExportOutcome::Exported);
    QCOMPARE(owText(record->name), survey);
    QVector<gdiSeismicDataSet_t> dataSets;
    QVERIFY(readDataSets(survey, &dataSets));
    QCOMPARE(dataSets.size(), 1);
    QCOMPARE(owText(dataSets[0].name), dataSet);
}

void TestVolumeExport::dataSetNameTaken()
{
    // A data set "taken volume_1" in another survey.
    const QString first = writeVolume("first_volume", SyntheticVolume());
    QVERIFY(exportVolume(context(), first, -1));
    QVector<gdiSeismicDataSet_t> dataSets;
    QVERIFY(readDataSets("first volume", &dataSets));
    QCOMPARE(dataSets.size(), 1);
    owSetText(dataSets[0].name, "taken volume_1");
    QCOMPARE(gdiUpdate(GDI_CLASS_SEISMIC_DATA_SET, &dataSets[0]), 0);
    QCOMPARE(gdiCommit(), 0);

    const QString path = writeVolume("taken_volume", SyntheticVolume());
    ZRTransferReport report;
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    QVERIFY(exportVolume(context(&report), path, -1, &outcome));
    QCOMPARE(outcome, VolumeExportOutcome::Exported);
    QVERIFY(readDataSets("taken volume", &dataSets));
    QCOMPARE(dataSets.size(), 1);
    QCOMPARE(owText(dataSets[0].name), QStringLiteral("taken volume_2"));
    QCOMPARE(report.item(0).target.value("dataSetName").toString(), QStringLiteral("taken volume_2"));
}

void TestVolumeExport::remoteVolume()
{
    const QString path = writeVolume("remote_volume", SyntheticVolume(), "/elsewhere/remote_volume");
    QVERIFY(!path.isEmpty());
    const Snapshot before = snapshot();
    ZRExchangeContext exchange = context();
    exchange.windowTitle = "Title";
    VolumeExportOutcome outcome = VolumeExportOutcome::Exported;
    QVERIFY(!exportVolume(exchange, path, -1, &outcome));
    QCOMPARE(outcome, VolumeExportOutcome::Failed);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Title"));
    QCOMPARE(m_ui->messages[0].text,
             QStringLiteral("Unable to transfer remote volume as it is a remotely linked volume."));
    compareSnapshots(before, snapshot());
    QCOMPARE(owsim::callCount("gdiAdd"), 0);
}

void TestVolumeExport::commentedOutOtherFiles()
{
    const QString path = writeVolume("dir_volume", SyntheticVolume());
    const QString dirDat = m_home + "/" + ExchangeFixture::District + "/dir.dat";
    QFile file(dirDat);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();
    QByteArray commented;
    for (const QByteArray& line : original.split('\n'))
        commented += (line.trimmed().endsWith("OTHER_FILES") ? "# " + line : line) + "\n";
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(commented);
    file.close();
    const Snapshot before = snapshot();
    VolumeExportOutcome outcome = VolumeExportOutcome::Exported;
    const OwSurveyRecord record = exportVolume(context(), path, -1, &outcome);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(original);
    file.close();
    QVERIFY(!record);
    QCOMPARE(outcome, VolumeExportOutcome::Failed);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].kind, ZRExchangeUi::MessageKind::Critical);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Error"));
    QCOMPARE(m_ui->messages[0].text,
             QStringLiteral("Error occurred while exporting dir volume: unable to create folder to contain seismic "
                            "file: OpenWorks® dir.dat file is empty or misconfigured"));
    compareSnapshots(before, snapshot());
    QCOMPARE(owsim::callCount("gdiAdd"), 0);
}

void TestVolumeExport::surveyExistsAlready()
{
    const QString path = writeVolume("twice_exported", SyntheticVolume());
    QVERIFY(exportVolume(context(), path, -1));
    const Snapshot before = snapshot();
    const int rows = m_catalogue->rowCount();
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    const OwSurveyRecord record = exportVolume(context(), path, -1, &outcome);
    QCOMPARE(outcome, VolumeExportOutcome::SurveyExists);
    // The record as the volume makes it; nothing is written.
    QVERIFY(record);
    QCOMPARE(owText(record->name), QStringLiteral("twice exported"));
    QCOMPARE(record->traceCount, SyntheticVolume().dimx);
    compareSnapshots(before, snapshot());
    QCOMPARE(m_catalogue->rowCount(), rows);
    // The driver counts it as not exported.
    QCOMPARE(exportSurveys(context(), {path}), 0);
    QCOMPARE(m_ui->messages.last().text, QStringLiteral("0 of 1 volumes exported."));
    compareSnapshots(before, snapshot());
}

void TestVolumeExport::missingFile()
{
    const Snapshot before = snapshot();
    const QString path = volumeFolder() + "/no such volume";
    const QString good = writeVolume("good_one", SyntheticVolume());
    ZRExchangeContext exchange = context();
    exchange.windowTitle = "Title";
    QCOMPARE(exportSurveys(exchange, {path, good}), 1);
    QCOMPARE(m_ui->messages.size(), 2);
    QCOMPARE(m_ui->messages[0].kind, ZRExchangeUi::MessageKind::Critical);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Error"));
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("File %1 does not seem to exist").arg(path));
    QCOMPARE(m_ui->messages[1].kind, ZRExchangeUi::MessageKind::Information);
    QCOMPARE(m_ui->messages[1].title, QStringLiteral("Title"));
    QCOMPARE(m_ui->messages[1].text, QStringLiteral("1 of 2 volumes exported."));
    QCOMPARE(snapshot().surveys, before.surveys + 1);
}

void TestVolumeExport::failures_data()
{
    QTest::addColumn<QStringList>("injections"); // "function:n=status"
    QTest::addColumn<VolumeExportOutcome>("outcome");
    QTest::addColumn<QString>("message"); // the box text, "%1" the survey name; empty: no box
    const auto failed = VolumeExportOutcome::Failed;
    const auto exported = VolumeExportOutcome::Exported;
    const QString devkit = "Error occurred while exporting %1: %2.";
    const auto text = [](int status) { return QString::fromLatin1(gdiErrorMessage(status)); };
    QTest::newRow("prjGetSysDistrict")
        << QStringList{"prjGetSysDistrict:1=217800001"} << failed
        << "Error occurred while exporting %1: unable to create folder to contain seismic file: Unable to query "
           "OpenWorks® path from district";
    QTest::newRow("lgcGetPathFromDistrict")
        << QStringList{"lgcGetPathFromDistrict:1=217800002"} << failed
        << "Error occurred while exporting %1: unable to create folder to contain seismic file: Unable to query "
           "OpenWorks® path from district";
    QTest::newRow("gdiGetMeasSystemUnitIdForField")
        << QStringList{"gdiGetMeasSystemUnitIdForField:3=277600014"} << failed << devkit.arg("%1", text(277600014));
    QTest::newRow("untConvert") << QStringList{"untConvert:1=277600011"} << failed << devkit.arg("%1", text(277600011));
    QTest::newRow("gdiGetMeasSystemUnitIdForType")
        << QStringList{"gdiGetMeasSystemUnitIdForType:1=277600013"} << failed << devkit.arg("%1", text(277600013));
    QTest::newRow("gdiInitiateObject") << QStringList{"gdiInitiateObject:1=277600003"} << failed
                                       << devkit.arg("%1", text(277600003));
    QTest::newRow("prjGetActive") << QStringList{"prjGetActive:1=217700204"} << failed
                                  << devkit.arg("%1", text(217700204));
    QTest::newRow("gdiAdd")
        << QStringList{"gdiAdd:1=277600008"} << failed
        << QString("Error occurred while exporting %1: %2, (error code = 277600008).").arg("%1", text(277600008));
    QTest::newRow("gdiAdd: the survey exists")
        << QStringList{"gdiAdd:1=277600018"} << VolumeExportOutcome::SurveyExists << QString();
    QTest::newRow("gdiExists") << QStringList{"gdiExists:1=0"} << exported << QString();
    QTest::newRow("prjin2_") << QStringList{"prjin2_:1=1"} << failed
                             << "Error occurred while exporting %1: Initialization of 3D project.";
    QTest::newRow("prjin2_ then gdiRollback") << QStringList{"prjin2_:1=4", "gdiRollback:1=277600009"} << failed
                                              << "Error occurred while exporting %1: Failed to get active OpenWorks "
                                                 "project.";
    QTest::newRow("gdiCommit of the survey")
        << QStringList{"gdiCommit:1=277600010"} << failed << devkit.arg("%1", text(277600010));
    QTest::newRow("dm3dgetnamefromkeys_: the file exists")
        << QStringList{"dm3dgetnamefromkeys_:1=0"} << failed
        << "Error occurred while exporting %1: a seismic file with this name already exists.";
    QTest::newRow("dm3dgetnamefromkeys_: no current survey")
        << QStringList{"dm3dgetnamefromkeys_:1=3"} << exported << QString();
    QTest::newRow("dm3d_crt_ds_ 1") << QStringList{"dm3d_crt_ds_:1=1"} << failed
                                    << "Error occurred while exporting %1: gdiAdd() error.";
    QTest::newRow("dm3d_crt_ds_ 2") << QStringList{"dm3d_crt_ds_:1=2"} << failed
                                    << "Error occurred while exporting %1: gdiUpdate() error.";
    QTest::newRow("dm3d_crt_ds_ 5") << QStringList{"dm3d_crt_ds_:1=5"} << failed
                                    << "Error occurred while exporting %1: Internal dataset creation error.";
    QTest::newRow("dm3d_crt_ds_ 42") << QStringList{"dm3d_crt_ds_:1=42"} << failed
                                     << "Error occurred while exporting %1: Unknown error occurred (dm3dcrtds_ - 42).";
    QTest::newRow("dm3dop_") << QStringList{"dm3dop_:1=11"} << failed
                             << "Error occurred while exporting %1: Write permission denied.";
    QTest::newRow("dm3dgetGdiStruct_") << QStringList{"dm3dgetGdiStruct_:1=6"} << failed
                                       << "Error occurred while exporting %1: Seismic data set not found.";
    QTest::newRow("dm3dnx_") << QStringList{"dm3dnx_:1=3"} << failed
                             << "Error occurred while exporting %1: internal cache error 3.";
    QTest::newRow("dm3dtr_ first trace") << QStringList{"dm3dtr_:1=8"} << failed
                                         << "Error occurred during export of %1: Illegal attempt to write while in "
                                            "input mode.";
    QTest::newRow("dm3dtr_ in the third frame") << QStringList{"dm3dtr_:17=9"} << failed
                                                << "Error occurred during export of %1: General internal failure "
                                                   "(dm3dtr_).";
    QTest::newRow("dm3dtr_ then dm3ddl_") << QStringList{"dm3dtr_:3=2", "dm3ddl_:1=9"} << failed
                                          << "Error occurred during export of %1: Requested X, Y, or Time grid "
                                             "coordinates outside of maximum actual extents of seismic file.";
    QTest::newRow("dm3dtr_ then gdiDelete") << QStringList{"dm3dtr_:3=3", "gdiDelete:1=277600008"} << failed
                                            << "Error occurred during export of %1: Requested X, Y, or Time grid "
                                               "coordinates outside of maximum possible extents of seismic file.";
    QTest::newRow("dm3dtr_ then the removal's gdiCommit")
        << QStringList{"dm3dtr_:3=4", "gdiCommit:2=277600010"} << failed
        << "Error occurred during export of %1: Error: firstSample > lastSample.";
    QTest::newRow("dm3dcl_") << QStringList{"dm3dcl_:1=9"} << failed
                             << "Error occurred while exporting %1: the seismic file cannot be closed (status 9).";
    QTest::newRow("gdiUpdate") << QStringList{"gdiUpdate:1=277600008"} << failed << devkit.arg("%1", text(277600008));
    QTest::newRow("gdiCommit of the data set")
        << QStringList{"gdiCommit:2=277600010"} << failed << devkit.arg("%1", text(277600010));
    QTest::newRow("gdiCreateObject") << QStringList{"gdiCreateObject:1=277600008"} << exported << QString();
    QTest::newRow("prjend_") << QStringList{"prjend_:1=1"} << exported << QString();
    QTest::newRow("dm3ddl_ unused") << QStringList{"dm3ddl_:1=9"} << exported << QString();
    QTest::newRow("gdiDelete unused") << QStringList{"gdiDelete:1=277600008"} << exported << QString();
}

void TestVolumeExport::failures()
{
    QFETCH(QStringList, injections);
    QFETCH(VolumeExportOutcome, outcome);
    QFETCH(QString, message);
    SyntheticVolume volume;
    volume.dimx = 6;
    const QString tag = QString::number(qHash(QString(QTest::currentDataTag())));
    const QString path = writeVolume("failing_" + tag, volume);
    const QString surveyName = surveyNameForVolume(path);
    const Snapshot before = snapshot();
    const int rows = m_catalogue->rowCount();
    QVERIFY(owsim::injectRules(injections.join(';').toStdString()));
    VolumeExportOutcome result = VolumeExportOutcome::Planned;
    const OwSurveyRecord record = exportVolume(context(), path, -1, &result);
    // Every survey project started was ended; no file was closed that was not opened.
    QCOMPARE(owsim::callCount("prjend_"), owsim::callCount("prjin2_"));
    QVERIFY(owsim::callCount("dm3dcl_") <= owsim::callCount("dm3dop_"));
    owsim::clearInjections();
    QCOMPARE(result, outcome);
    if (message.isEmpty()) {
        QCOMPARE(m_ui->messages.size(), 0);
    } else {
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages[0].kind, ZRExchangeUi::MessageKind::Critical);
        QCOMPARE(m_ui->messages[0].title, QStringLiteral("Error"));
        QCOMPARE(m_ui->messages[0].text, message.arg(surveyName));
    }
    const Snapshot after = snapshot();
    if (outcome == VolumeExportOutcome::Exported) {
        QCOMPARE(after.surveys, before.surveys + 1);
        QCOMPARE(after.dataSets, before.dataSets + 1);
        QCOMPARE(after.files.size(), before.files.size() + 1);
        QCOMPARE(m_catalogue->rowCount(), rows + 1);
        QVector<gdiSeismicDataSet_t> dataSets;
        QVERIFY(readDataSets(surveyName, &dataSets));
        QCOMPARE(dataSets.size(), 1);
    } else {
        // Nothing of the volume is left in OpenWorks, not even the folder made for it.
        compareSnapshots(before, after, false);
        QVERIFY(!QFileInfo::exists(m_dataFolder + "/" + surveyName));
        QCOMPARE(m_catalogue->rowCount(), rows);
        gdi3dSurvey_t survey;
        QVERIFY(!readSurvey(surveyName, &survey));
    }
    // Nothing stays open: every opened file was closed, every survey project
    // ended, and the next export works.
    QCOMPARE(openFilesUnder(m_dataFolder), QStringList());
    const QString next = writeVolume("next_" + tag, volume);
    VolumeExportOutcome nextOutcome = VolumeExportOutcome::Failed;
    QVERIFY(exportVolume(context(), next, -1, &nextOutcome));
    QCOMPARE(nextOutcome, VolumeExportOutcome::Exported);
    QCOMPARE(owsim::callCount("dm3dcl_"), owsim::callCount("dm3dop_"));
    QCOMPARE(owsim::callCount("prjend_"), owsim::callCount("prjin2_"));
    Q_UNUSED(record);
}

void TestVolumeExport::cancelInTheMiddleOfTheFrames()
{
    SyntheticVolume volume;
    const QString path = writeVolume("cancelled_volume", volume);
    CancellingFactory factory;
    factory.label = "cancelled volume";
    factory.frames = 2;
    zrProgressBarMgr->setProgressBarFactory(&factory);
    const Snapshot before = snapshot();
    ZRTransferReport report;
    QCOMPARE(exportSurveys(context(&report), {path}), 0);
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(factory.advanced, 2);
    compareSnapshots(before, snapshot(), false);
    QVERIFY(!QFileInfo::exists(m_dataFolder + "/cancelled volume"));
    gdi3dSurvey_t survey;
    QVERIFY(!readSurvey("cancelled volume", &survey));
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Cancelled);
    QCOMPARE(report.item(0).counts.value("framesWritten").toInt(), 2);
    QCOMPARE(report.item(0).counts.value("tracesWritten").toDouble(), double(2 * volume.dimx));
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("0 of 1 volumes exported."));
    // The next export works.
    QVERIFY(exportVolume(context(), writeVolume("after_cancel", volume), -1));
}

void TestVolumeExport::dryRunChangesNothing()
{
    SyntheticVolume volume;
    const QString path = writeVolume("planned_volume", volume);
    const QString existing = writeVolume("planned_existing", volume);
    QVERIFY(exportVolume(context(), existing, -1));
    const Snapshot before = snapshot();
    const int rows = m_catalogue->rowCount();
    owsim::clearInjections();
    ZRTransferReport report;
    ZRExchangeContext exchange = context(&report);
    exchange.dryRun = true;
    QCOMPARE(exportSurveys(exchange, {path, existing}), 1);
    compareSnapshots(before, snapshot());
    QCOMPARE(m_catalogue->rowCount(), rows);
    QCOMPARE(m_ui->messages.size(), 0);
    // Not one DevKit write, not even one rolled back.
    for (const char* call : {"gdiAdd", "gdiUpdate", "gdiDelete", "gdiCommit", "gdiRollback", "prjin2_", "dm3d_crt_ds_",
                             "dm3dop_", "dm3dtr_", "dm3ddl_", "dm3dcl_"})
        QVERIFY2(owsim::callCount(call) == 0, call);
    QVERIFY(!QDir(m_dataFolder + "/planned volume").exists());

    QCOMPARE(report.itemCount(), 2);
    const ZRTransferReport::Item& planned = report.item(0);
    QCOMPARE(planned.outcome, ZRTransferReport::Planned);
    QCOMPARE(planned.action, ZRTransferReport::Create);
    QCOMPARE(planned.target.value("surveyName").toString(), QStringLiteral("planned volume"));
    QCOMPARE(planned.target.value("dataSetName").toString(), QStringLiteral("planned volume_1"));
    QVERIFY(!planned.target.contains("surveyId"));
    QCOMPARE(planned.units.size(), 9);
    const QJsonObject corners = planned.geometry.value("survey").toObject().value("corners").toObject();
    double x, y;
    volume.mapPosition(volume.dimx - 1, 0, &x, &y);
    QVERIFY(closeEnough(corners.value("26").toDouble(), x));
    QVERIFY(closeEnough(corners.value("27").toDouble(), y));
    QCOMPARE(planned.counts.value("traces").toDouble(), double(volume.dimx * volume.dimz));
    QCOMPARE(planned.counts.value("seismicFileBytes").toDouble(),
             3600.0 + volume.dimx * volume.dimz * (240.0 + 4.0 * volume.dimy));
    QVERIFY(!planned.source.value("sha256").toString().isEmpty());
    const ZRTransferReport::Item& skipped = report.item(1);
    QCOMPARE(skipped.outcome, ZRTransferReport::Planned);
    QCOMPARE(skipped.action, ZRTransferReport::Skip);
}

void TestVolumeExport::candidatesFromHostItems()
{
    const QString first = writeVolume("candidate_a", SyntheticVolume());
    const QString second = writeVolume("candidate_b", SyntheticVolume());
    const QString horizonFolder = m_fixture->project().directoryForType(ZRProject::HorizonType);
    QVERIFY(QDir().mkpath(horizonFolder));
    QFile horizon(horizonFolder + "/a horizon");
    QVERIFY(horizon.open(QIODevice::WriteOnly));
    horizon.write("x");
    horizon.close();
    ZRProjectBrowserModel tree;
    tree.setProject(m_fixture->project());
    QModelIndexList items = tree.volumeItems();
    QVERIFY(items.size() >= 2);
    items += tree.itemsOfCategory("Horizon");
    items.append(QModelIndex());
    items.append(items.first());
    const QStringList candidates = volumeExportCandidates(items);
    QVERIFY(candidates.contains(QDir::toNativeSeparators(first)));
    QVERIFY(candidates.contains(QDir::toNativeSeparators(second)));
    QCOMPARE(candidates.size(), tree.volumeItems().size());
    QVERIFY(!candidates.contains(QDir::toNativeSeparators(horizon.fileName())));
    QFile::remove(horizon.fileName());
}

QTEST_MAIN(TestVolumeExport)
#include "tst_volumeexport.moc"
