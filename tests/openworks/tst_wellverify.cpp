// The run report of a well import and of a well export, verified against
// both projects read again: equal right after the transfer, different once
// one log value or one trajectory point was changed on either side.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owsim.h"
#include "wellexportchecks.h"
#include "zrexchangecontext.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"
#include "zrtransferverifier.h"
#include "zrwellexport.h"
#include "zrwellimport.h"

#include <QJsonArray>
#include <QtTest>

#include <cstring>
#include <memory>

namespace
{

/// A well database of folder, loaded afresh (what the verify subcommand sees).
std::unique_ptr<ZRLogDatabase> reloaded(const QString& folder, const QString& connection)
{
    auto database = std::make_unique<ZRLogDatabase>();
    if (!database->load(folder, connection, connection, true))
        return nullptr;
    return database;
}

/// Changes value `index` of the host log `logName` of the set `setName` of a well.
bool alterHostLog(const QString& folder, const QString& wellName, const QString& setName, const QString& logName,
                  int index, double delta)
{
    ZRLogDatabase database;
    if (!database.load(folder, QStringLiteral("alter"), QStringLiteral("alter"), true))
        return false;
    const ZRWell* well = database.findWell(wellName);
    ZRSet* set = well ? database.findSet(setName, well) : nullptr;
    ZRLog* log = set ? database.findLog(logName, set) : nullptr;
    QVector<double> values;
    if (!log || !database.getLogData(log, values) || index >= values.size())
        return false;
    QVector<double> changed(values.constBegin(), values.constEnd());
    changed[index] += delta;
    database.setLogData(log, changed);
    return database.save();
}

/// Changes sample `index` of the OpenWorks log curve of that id.
bool alterCurve(quint32 curveId, int index, float delta)
{
    gdiLogCurve_t curve;
    gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &curve);
    curve.id = curveId;
    if (gdiRead(GDI_CLASS_LOG_CURVE, &curve) != 0 || gdiReadVector(GDI_CLASS_LOG_CURVE, &curve) != 0)
        return false;
    QVector<float> depths(curve.depths, curve.depths + curve.sampleCount);
    QVector<float> values(curve.values, curve.values + curve.sampleCount);
    gdiReleaseVectors(GDI_CLASS_LOG_CURVE, 1, &curve);
    values[index] += delta;
    curve.depths = depths.data();
    curve.values = values.data();
    return gdiUpdate(GDI_CLASS_LOG_CURVE, &curve) == 0 && gdiCommit() == 0;
}

/// Moves station `index` of the OpenWorks position log of a well key.
bool alterPositionLog(const QString& wellKey, int index, float delta)
{
    gdiPositionLog_t log;
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &log);
    std::strncpy(log.wellKey, wellKey.toLatin1().constData(), sizeof log.wellKey - 1);
    if (gdiRead(GDI_CLASS_POSITION_LOG, &log) != 0 || gdiReadVector(GDI_CLASS_POSITION_LOG, &log) != 0)
        return false;
    const int count = log.pointCount;
    QVector<float> md(log.md, log.md + count);
    QVector<float> tvd(log.tvd, log.tvd + count);
    QVector<float> x(log.xDeviation, log.xDeviation + count);
    QVector<float> y(log.yDeviation, log.yDeviation + count);
    gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, &log);
    x[index] += delta;
    log.md = md.data();
    log.tvd = tvd.data();
    log.xDeviation = x.data();
    log.yDeviation = y.data();
    return gdiUpdate(GDI_CLASS_POSITION_LOG, &log) == 0 && gdiCommit() == 0;
}

/// The differences other than host files changed after the transfer.
QStringList valueDifferences(const QStringList& differences)
{
    QStringList values;
    for (const QString& difference : differences)
        if (!difference.contains(QStringLiteral("changed after the transfer")))
            values.append(difference);
    return values;
}

} // namespace

class TestWellVerify : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void importVerifies();
    void importAlteredLogValue();
    void importAlteredTrajectoryPoint();
    void exportVerifies();
    void exportAlteredCurveValue();
    void exportAlteredTrajectoryPoint();
    void exportAlteredHostLog();

private:
    bool verify(const QJsonObject& report, const QString& folder, QStringList* differences);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    ZRScriptedExchangeUi m_ui;
    std::unique_ptr<ZRProject> m_project;
    QJsonObject m_importReport;
    QJsonObject m_exportReport;
    int m_connections = 0;
};

void TestWellVerify::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_session = std::make_unique<ZROpenworksSession>();
    QVERIFY(m_session->start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QString error;
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &error), qPrintable(error));

    // Import FT-01, FT-02 (no position log) and NS-01 with a report.
    m_project = std::make_unique<ZRProject>(m_fixture->makeHostProject(QStringLiteral("Verified")));
    ZRLogDatabase database;
    QVERIFY(database.load(m_project->wellDatabasePath(), "verified", "Verified", true));
    ZROpenworksWellModel catalogue;
    catalogue.loadFromOpenworks(-1);
    QVector<int> rows;
    QSet<QString> labels;
    for (int row = 0; row < catalogue.rowCount(); ++row) {
        const QString label = catalogue.index(row, ZROpenworksWellModel::WellNumberColumn).data().toString();
        if ((label == "FT-01" || label == "FT-02" || label == "NS-01") && !labels.contains(label)) {
            labels.insert(label);
            rows.append(row);
        }
    }
    ZRTransferReport report;
    report.setExchange(QStringLiteral("import-wells"));
    ZRExchangeContext context;
    context.project = m_project.get();
    context.wellDatabase = &database;
    context.session = m_session.get();
    context.ui = &m_ui;
    context.report = &report;
    QCOMPARE(importWells(context, wellImportItemsFromRows(catalogue, rows)), 3);
    m_importReport = report.toJson();

    // Export them into a new project with a report.
    std::string seedError;
    QVERIFY2(owsim::createProject(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                                  "VERIFIED", owsim::MeasurementSystem::Metric, &seedError),
             seedError.c_str());
    QVERIFY2(m_session->openProject(QStringLiteral("VERIFIED"), &error), qPrintable(error));
    ZRTransferReport exportReport;
    exportReport.setExchange(QStringLiteral("export-wells"));
    context.report = &exportReport;
    QVector<WellExportSelection> selection;
    for (const ZRWell* well : database.wells())
        selection.append({WellExportSelection::Well, well->id(), -1});
    QCOMPARE(exportWells(context, selection), 3);
    m_exportReport = exportReport.toJson();
}

void TestWellVerify::cleanupTestCase()
{
    m_session.reset();
}

bool TestWellVerify::verify(const QJsonObject& report, const QString& folder, QStringList* differences)
{
    std::unique_ptr<ZRLogDatabase> database = reloaded(folder, QStringLiteral("verify%1").arg(++m_connections));
    if (!database)
        return false;
    ZRExchangeContext context;
    context.project = m_project.get();
    context.wellDatabase = database.get();
    context.session = m_session.get();
    ZRTransferVerifier verifier(context);
    const bool equal = verifier.verifyReport(report);
    *differences = verifier.differences();
    if (verifier.itemsVerified() != report.value("items").toArray().size())
        differences->append(QStringLiteral("%1 items verified").arg(verifier.itemsVerified()));
    return equal && verifier.itemsVerified() == report.value("items").toArray().size();
}

void TestWellVerify::importVerifies()
{
    QString error;
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &error), qPrintable(error));
    QStringList differences;
    QVERIFY2(verify(m_importReport, m_project->wellDatabasePath(), &differences), qPrintable(differences.join("\n")));
}

void TestWellVerify::importAlteredLogValue()
{
    QString error;
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &error), qPrintable(error));
    const QString folder = m_project->wellDatabasePath();
    QVERIFY(alterHostLog(folder, "FT-01", "Sonic", "DTS", 17, 0.5));
    QStringList differences;
    QVERIFY(!verify(m_importReport, folder, &differences));
    const QStringList values = valueDifferences(differences);
    QCOMPARE(values.size(), 1);
    QVERIFY2(values.first().startsWith("FT-01: curve DTS of Sonic: value 17 is"), qPrintable(values.first()));
    // Values put back: only the rewritten files are left to tell.
    QVERIFY(alterHostLog(folder, "FT-01", "Sonic", "DTS", 17, -0.5));
    QVERIFY(!verify(m_importReport, folder, &differences));
    QCOMPARE(valueDifferences(differences), QStringList());
}

void TestWellVerify::importAlteredTrajectoryPoint()
{
    QString error;
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &error), qPrintable(error));
    const QString folder = m_project->wellDatabasePath();
    // FT-02's trajectory is the vertical one made from its curves' depths.
    QVERIFY(alterHostLog(folder, "FT-02", "TZ_Deviation", "LogTVDXY", 1, 1.0));
    QStringList differences;
    QVERIFY(!verify(m_importReport, folder, &differences));
    const QStringList values = valueDifferences(differences);
    QCOMPARE(values.size(), 1);
    QVERIFY2(values.first().startsWith("FT-02: trajectory TVD: value 1 is"), qPrintable(values.first()));
    QVERIFY(alterHostLog(folder, "FT-02", "TZ_Deviation", "LogTVDXY", 1, -1.0));
    QVERIFY(!verify(m_importReport, folder, &differences));
    QCOMPARE(valueDifferences(differences), QStringList());
}

void TestWellVerify::exportVerifies()
{
    QString error;
    QVERIFY2(m_session->openProject(QStringLiteral("VERIFIED"), &error), qPrintable(error));
    QStringList differences;
    QVERIFY2(verify(m_exportReport, m_project->wellDatabasePath(), &differences), qPrintable(differences.join("\n")));
}

void TestWellVerify::exportAlteredCurveValue()
{
    QString error;
    QVERIFY2(m_session->openProject(QStringLiteral("VERIFIED"), &error), qPrintable(error));
    quint32 curveId = 0;
    for (const QJsonValue& value : m_exportReport.value("items").toArray()) {
        const QJsonObject item = value.toObject();
        if (item.value("source").toObject().value("name").toString() == QLatin1String("NS-01"))
            curveId = quint32(item.value("target").toObject().value("records").toObject().value("610").toArray().at(1).toInt());
    }
    QVERIFY(curveId > 0);
    QVERIFY(alterCurve(curveId, 5, 2.0f));
    QStringList differences;
    QVERIFY(!verify(m_exportReport, m_project->wellDatabasePath(), &differences));
    QCOMPARE(differences.size(), 1);
    QVERIFY2(differences.first().contains("value 5 is"), qPrintable(differences.first()));
    QVERIFY(alterCurve(curveId, 5, -2.0f));
    QVERIFY2(verify(m_exportReport, m_project->wellDatabasePath(), &differences), qPrintable(differences.join("\n")));
}

void TestWellVerify::exportAlteredTrajectoryPoint()
{
    QString error;
    QVERIFY2(m_session->openProject(QStringLiteral("VERIFIED"), &error), qPrintable(error));
    QVERIFY(alterPositionLog(QStringLiteral("NO 15/9-F-1"), 100, 0.75f));
    QStringList differences;
    QVERIFY(!verify(m_exportReport, m_project->wellDatabasePath(), &differences));
    QCOMPARE(differences.size(), 1);
    QVERIFY2(differences.first().startsWith("FT-01: trajectory X deviation: value 100 is"),
             qPrintable(differences.first()));
    QVERIFY(alterPositionLog(QStringLiteral("NO 15/9-F-1"), 100, -0.75f));
    QVERIFY2(verify(m_exportReport, m_project->wellDatabasePath(), &differences), qPrintable(differences.join("\n")));
}

void TestWellVerify::exportAlteredHostLog()
{
    QString error;
    QVERIFY2(m_session->openProject(QStringLiteral("VERIFIED"), &error), qPrintable(error));
    const QString folder = m_project->wellDatabasePath();
    QVERIFY(alterHostLog(folder, "FT-01", "Checkshot", "LogTWTRefset", 3, 4.0));
    QStringList differences;
    QVERIFY(!verify(m_exportReport, folder, &differences));
    QCOMPARE(differences.size(), 1);
    QVERIFY2(differences.first().startsWith("FT-01: times of Checkshot: value 3 is"), qPrintable(differences.first()));
    QVERIFY(alterHostLog(folder, "FT-01", "Checkshot", "LogTWTRefset", 3, -4.0));
}

QTEST_MAIN(TestWellVerify)
#include "tst_wellverify.moc"
