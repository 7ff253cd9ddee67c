// Every DevKit call of the well import made to fail once: the message it
// gives, the problem listed for the well, and a well database that still
// loads and holds either the whole well (as far as the import said it
// brought it over) or nothing of it, byte for byte.

#include "exchangefixture.h"
#include "messagemanager.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "recordinglogger.h"
#include "wellimportchecks.h"
#include "zreventbus.h"
#include "zrlogdatabase.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"
#include "zrwellimport.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QPointer>
#include <QtTest>

#include <cstring>

namespace
{

constexpr int kReadError = GDI_DATABASE_ERROR;
constexpr int kUnitError = GDI_UNKNOWN_UNIT;

/// What the import still brings over when a call fails.
enum class Outcome
{
    Nothing,          ///< the well is not imported
    Whole,            ///< the well is imported whole
    WithoutFirstTable,
    WithoutCurveDT,
    WithoutCurves,
    WithoutFirstColour
};

QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(QDir(folder).relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

QString errorText(int status)
{
    return QString::fromLatin1(gdiErrorMessage(status));
}

} // namespace

class TestWellImportFailures : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void failingCall_data();
    void failingCall();
    void callsOfOneWell();

private:
    WellImportItem itemOf(const QString& label) const;
    quint32 sonicListId() const;

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZRScriptedExchangeUi* m_ui = nullptr;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
    std::shared_ptr<RecordingLogger> m_recorder;
    std::unique_ptr<MessageManager> m_manager;
    std::unique_ptr<ZREventBus> m_bus;
    int m_hostCount = 0;
};

void TestWellImportFailures::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_dialog = m_fixture->makeDialog(m_ui);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    QVERIFY(m_dialog->projectBrowser()->wellModel()->rowCount() > 0);
}

void TestWellImportFailures::cleanupTestCase()
{
    delete m_dialog;
}

void TestWellImportFailures::init()
{
    owsim::clearInjections();
    m_ui->messages.clear();
    m_ui->wellProblems.clear();
    m_recorder = std::make_shared<RecordingLogger>();
    m_manager = std::make_unique<MessageManager>();
    m_manager->addLogger(m_recorder);
    QVERIFY(m_manager->startListen());
    m_bus = std::make_unique<ZREventBus>(m_manager->getNumPort());
    m_bus->setMutex(m_manager->getMutex());
}

void TestWellImportFailures::cleanup()
{
    m_bus.reset();
    m_manager.reset();
    owsim::clearInjections();
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

WellImportItem TestWellImportFailures::itemOf(const QString& label) const
{
    const ZROpenworksWellModel* model = m_dialog->projectBrowser()->wellModel();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, ZROpenworksWellModel::WellNumberColumn).data().toString() == label)
            return wellImportItemsFromRows(*model, {row}).value(0);
    return WellImportItem();
}

quint32 TestWellImportFailures::sonicListId() const
{
    int count = 0;
    void* list = nullptr;
    quint32 id = 0;
    if (gdiReadSet(GDI_CLASS_LOG_CURVE_LIST, &count, &list) == 0) {
        for (int i = 0; i < count; ++i)
            if (std::strcmp(static_cast<gdiLogCurveList_t*>(list)[i].name, "Sonic") == 0)
                id = static_cast<gdiLogCurveList_t*>(list)[i].id;
        gdiFree(list);
    }
    return id;
}

void TestWellImportFailures::failingCall_data()
{
    QTest::addColumn<QString>("well");
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("problems"); ///< the well's messages in the problem list ("-": not listed)
    QTest::addColumn<QString>("box");          ///< "kind|title|text" of a box shown, or empty
    QTest::addColumn<QString>("bus");          ///< "drawType|text" of an event-bus message, or empty

    const QString read = errorText(kReadError);
    const QString unit = errorText(kUnitError);
    const QStringList none{QStringLiteral("-")};
    const int nothing = int(Outcome::Nothing);
    const int whole = int(Outcome::Whole);
    const QString critical = QString::number(int(ZRExchangeUi::MessageKind::Critical));
    const QString information = QString::number(int(ZRExchangeUi::MessageKind::Information));

    // Before the first well: the import cannot go on.
    QTest::newRow("vector access") << "FT-01" << "gdiSetVectorAccess" << 1 << kReadError << nothing << none
                                   << critical + "|Error|Unable to enable the vectors of class 600, field 13 during well "
                                                 "import: " + read + ". Cannot continue with import."
                                   << QString();
    QTest::newRow("log curve lists") << "FT-01" << "gdiReadSet" << 1 << kReadError << nothing << none
                                     << critical + "|Error|Error during initial query of Log Curve Lists during well "
                                                   "import: " + read + ". Cannot continue with import."
                                     << "1|Error during initial query of Log Curve Lists during well import: " + read
                                            + ". Cannot continue with import.";
    QTest::newRow("log curve list members") << "FT-01" << "gdiReadSet" << 2 << kReadError << nothing << none
                                            << critical + "|Error|Error during initial query of Log Curves during well "
                                                          "import: " + read + ". Cannot continue with import."
                                            << QString();
    QTest::newRow("depth unit") << "FT-01" << "gdiGetMeasSystemUnitIdForType" << 1 << kReadError << nothing << none
                                << critical + "|Unit Error|Unable to retrieve project unit for unit type <b>Depth</b>."
                                << QString();
    QTest::newRow("X/Y unit") << "FT-01" << "gdiGetMeasSystemUnitIdForType" << 2 << kReadError << nothing << none
                              << critical + "|Unit Error|Unable to retrieve project unit for unit type <b>X/Y "
                                            "Coordinate</b>."
                              << QString();
    QTest::newRow("elevation unit") << "FT-02" << "gdiGetMeasSystemUnitIdForType" << 3 << kReadError << whole
                                    << QStringList{"No time depth tables found, therefore no TTD Laws have been created "
                                                   "for this well.",
                                                   "No Position Log found, vertical trajectory created from MD "
                                                   "information."}
                                    << QString() << "1|Unable to retrieve elevation unit, depth unit will be used.";
    QTest::newRow("project") << "FT-01" << "prjGetActive" << 1 << PRJ_NO_ACTIVE_PROJECT << whole << none << QString()
                             << QString();

    // The well header.
    QTest::newRow("well header") << "FT-01" << "gdiRead" << 1 << kReadError << nothing
                                 << QStringList{"Unable to read data: " + read} << QString() << QString();
    QTest::newRow("unit of X") << "FT-01" << "gdiGetMeasSystemUnitIdForField" << 1 << kReadError << nothing
                               << QStringList{"Unable to convert the well coordinates: " + read} << QString() << QString();
    QTest::newRow("unit of Y") << "FT-01" << "gdiGetMeasSystemUnitIdForField" << 2 << kReadError << nothing
                               << QStringList{"Unable to convert the well coordinates: " + read} << QString() << QString();
    QTest::newRow("X") << "FT-01" << "untConvert" << 1 << kUnitError << nothing
                       << QStringList{"Unable to convert the well coordinates: " + unit} << QString() << QString();
    QTest::newRow("Y") << "FT-01" << "untConvert" << 2 << kUnitError << nothing
                       << QStringList{"Unable to convert the well coordinates: " + unit} << QString() << QString();
    QTest::newRow("elevation") << "FT-02" << "untConvert" << 3 << kUnitError << nothing
                               << QStringList{"Unable to convert the well elevation: " + unit} << QString() << QString();

    // Time-depth tables.
    QTest::newRow("time-depth tables") << "FT-01" << "gdiReadSubset" << 1 << kReadError << nothing
                                       << QStringList{"Unable to read time depth tables: " + read} << QString()
                                       << QString();
    QTest::newRow("preferred table exists") << "FT-01" << "gdiExists" << 1 << kReadError << whole << none
                                            << QString() << QString();
    QTest::newRow("preferred table") << "FT-01" << "gdiRead" << 2 << kReadError << whole << none << QString()
                                     << QString();
    QTest::newRow("table vectors") << "FT-01" << "gdiReadVector" << 1 << kReadError << int(Outcome::WithoutFirstTable)
                                   << QStringList{"Unable to load vector for Time-Depth table (Checkshot): " + read}
                                   << QString() << QString();
    QTest::newRow("table time unit") << "FT-01" << "untGetAbbrID" << 1 << kUnitError
                                     << int(Outcome::WithoutFirstTable)
                                     << QStringList{"Unable to convert the times of Time-Depth table (Checkshot) from "
                                                    "\"ms\" to milliseconds: " + unit}
                                     << QString() << QString();
    QTest::newRow("table times") << "FT-01" << "untConvertFloats" << 1 << kUnitError << int(Outcome::WithoutFirstTable)
                                 << QStringList{"Unable to convert the times of Time-Depth table (Checkshot) from "
                                                "\"ms\" to milliseconds: " + unit}
                                 << QString() << QString();
    QTest::newRow("table depths") << "FT-01" << "untConvertFloats" << 2 << kUnitError << whole << none << QString()
                                  << "1|Cannot convert unit meters to meters during time-depth table Checkshot import "
                                     "for well FT-01.";
    QTest::newRow("table list") << "FT-01" << "gdiRelease" << 1 << kReadError << whole << none << QString() << QString();

    // Log curves.
    QTest::newRow("log curves") << "FT-01" << "gdiReadSubset" << 2 << kReadError << int(Outcome::WithoutCurves)
                                << QStringList{"Unable to read Log Curves: " + read} << QString() << QString();
    QTest::newRow("log curve list") << "FT-01" << "gdiRead" << 3 << kReadError << int(Outcome::WithoutCurveDT)
                                    << QStringList{"Unable to read Log Curve List(%1): " + read} << QString()
                                    << QString();
    QTest::newRow("curve vectors") << "FT-01" << "gdiReadVector" << 3 << kReadError << int(Outcome::WithoutCurveDT)
                                   << QStringList{"Unable to read vectors for Log Curve(DT): " + read} << QString()
                                   << QString();
    QTest::newRow("curve depths") << "FT-01" << "untConvertFloats" << 5 << kUnitError << whole << none << QString()
                                  << "1|Cannot convert unit meters to meters during log DT import for well FT-01.";
    QTest::newRow("curve vectors given back") << "FT-01" << "gdiReleaseVectors" << 3 << kReadError << whole << none
                                              << QString() << QString();

    // Trajectory.
    QTest::newRow("position log") << "FT-01" << "gdiRead" << 5 << kReadError << nothing
                                  << QStringList{"Unable to read position log: " + read + ":"} << QString() << QString();
    QTest::newRow("position log vectors") << "FT-01" << "gdiReadVector" << 8 << kReadError << nothing
                                          << QStringList{"Unable to read vector for position log: " + read}
                                          << QString() << QString();
    QTest::newRow("trajectory depths") << "FT-01" << "untConvert" << 5 << kUnitError << whole << none << QString()
                                       << "1|Cannot convert unit meters to meters during trajectory import for well "
                                          "FT-01.";
    QTest::newRow("vertical trajectory depths")
        << "FT-02" << "untConvert" << 4 << kUnitError << whole
        << QStringList{"No time depth tables found, therefore no TTD Laws have been created for this well.",
                       "No Position Log found, vertical trajectory created from MD information."}
        << QString() << "1|Cannot convert unit meters to meters during trajectory import for well FT-02.";

    // Surface picks.
    QTest::newRow("surface picks") << "FT-01" << "gdiReadSubset" << 3 << kReadError << nothing
                                   << QStringList{"Error occurred during import of surface picks: " + read} << QString()
                                   << QString();
    QTest::newRow("pick depth") << "FT-01" << "untConvert" << 6 << kUnitError << whole << none << QString()
                                << "1|Cannot convert unit meters to meters during marker Top Reservoir import for well "
                                   "FT-01.";
    QTest::newRow("first pick colour") << "FT-01" << "gdiRead" << 6 << kReadError << int(Outcome::WithoutFirstColour)
                                       << none
                                       << information + "|Error|Error occurred when reading horizon parameters for "
                                                        "pick Top Reservoir: " + read
                                       << QString();
    // The last colour read decides the well: listed (without messages), nothing written.
    QTest::newRow("last pick colour") << "FT-01" << "gdiRead" << 8 << kReadError << nothing << QStringList()
                                      << information + "|Error|Error occurred when reading horizon parameters for pick "
                                                       "Top Chalk: " + read
                                      << QString();
}

void TestWellImportFailures::failingCall()
{
    QFETCH(QString, well);
    QFETCH(QString, function);
    QFETCH(int, call);
    QFETCH(int, status);
    QFETCH(int, outcome);
    QFETCH(QStringList, problems);
    QFETCH(QString, box);
    QFETCH(QString, bus);

    // A host project of its own, holding one well imported before.
    const QString path = m_fixture->makeHostProject(QStringLiteral("Failing%1").arg(++m_hostCount));
    QVERIFY(!path.isEmpty());
    ZRProject project(path);
    const QString folder = project.wellDatabasePath();
    auto database = std::make_unique<ZRLogDatabase>();
    QVERIFY(database->load(folder, QStringLiteral("failing"), QStringLiteral("Failing"), true));
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = &project;
    context.wellDatabase = database.get();
    QCOMPARE(importWells(context, {itemOf(QStringLiteral("NS-02"))}), 1);
    m_ui->messages.clear();
    m_ui->wellProblems.clear();
    const QMap<QString, QByteArray> before = snapshot(folder);

    ZRTransferReport report;
    context.report = &report;
    owsim::injectStatus(function.toStdString(), call, status);
    const int imported = importWells(context, {itemOf(well)});
    QCOMPARE(owsim::callCount(function.toStdString()) >= call, true);
    owsim::clearInjections();

    const bool written = outcome != int(Outcome::Nothing);
    QCOMPARE(imported, written ? 1 : 0);
    // The well's problems.
    for (QString& problem : problems)
        problem = problem.arg(sonicListId());
    if (problems == QStringList{QStringLiteral("-")}) {
        QVERIFY2(m_ui->wellProblems.isEmpty() || m_ui->wellProblems.first().isEmpty(),
                 qPrintable(m_ui->wellProblems.value(0).value(0).second.join(" / ")));
    } else {
        QCOMPARE(m_ui->wellProblems.size(), 1);
        QCOMPARE(m_ui->wellProblems.first(), (WellProblemList{{well, problems}}));
    }
    QStringList boxes;
    for (const ZRScriptedExchangeUi::Message& message : m_ui->messages)
        boxes.append(QStringLiteral("%1|%2|%3").arg(int(message.kind)).arg(message.title, message.text));
    if (!box.isEmpty())
        QVERIFY2(boxes.contains(box), qPrintable(boxes.join("\n")));
    const bool countBox = boxes.contains(QStringLiteral("%1|%2|0 of 1 wells imported.")
                                             .arg(int(ZRExchangeUi::MessageKind::Information))
                                             .arg(m_dialog->windowTitle()));
    // The count box follows a well not imported, except when the import could not start.
    const bool stoppedBeforeWells = box.contains("Cannot continue") || box.contains("Unit Error");
    QCOMPARE(countBox, !written && !stoppedBeforeWells);
    if (!bus.isEmpty()) {
        m_bus.reset();
        m_manager.reset();
        const QStringList messages = m_recorder->snapshot();
        QVERIFY2(messages.contains(bus), qPrintable(messages.join("\n")));
    }
    // Every message went into the report.
    if (report.itemCount() > 0)
        for (const QString& problem : problems)
            if (problem != QLatin1String("-"))
                QVERIFY(report.item(0).messages.contains(problem));

    // The database loads, and holds the whole well or nothing of it.
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.load(folder, QStringLiteral("reloaded"), QStringLiteral("Failing"), true));
    QCOMPARE(reloaded.wells().size(), written ? 2 : 1);
    if (!written) {
        QCOMPARE(snapshot(folder), before);
        QVERIFY(!database->findWell(QStringLiteral("FT-01")));
        return;
    }
    OpenWorksWell openWorks;
    QString error;
    QVERIFY2(readOpenWorksWell(itemOf(well).wellKey, &openWorks, &error), qPrintable(error));
    switch (Outcome(outcome)) {
    case Outcome::WithoutFirstTable:
        openWorks.tables.removeFirst();
        break;
    case Outcome::WithoutCurveDT:
        openWorks.curves.removeFirst();
        QCOMPARE(openWorks.curves.first().name, QStringLiteral("DTS"));
        break;
    case Outcome::WithoutCurves:
        openWorks.curves.clear();
        break;
    case Outcome::WithoutFirstColour:
        openWorks.picks.first().hasColour = false;
        break;
    default:
        break;
    }
    HostWellDatabase host;
    QVERIFY2(host.load(folder, &error), qPrintable(error));
    const QString difference = compareWell(openWorks, host, QStringLiteral("Field Tests"), ExpectedUnits());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(host.logDataFiles().size(), host.logs.size());
}

void TestWellImportFailures::callsOfOneWell()
{
    // The call numbers the rows above rely on: one well, FT-01, with a report.
    const QString path = m_fixture->makeHostProject(QStringLiteral("Counting"));
    ZRProject project(path);
    ZRLogDatabase database;
    QVERIFY(database.load(project.wellDatabasePath(), QStringLiteral("counting"), QStringLiteral("Counting"), true));
    ZRTransferReport report;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = &project;
    context.wellDatabase = &database;
    context.report = &report;
    owsim::clearInjections();
    QCOMPARE(importWells(context, {itemOf(QStringLiteral("FT-01"))}), 1);
    QCOMPARE(owsim::callCount("gdiReadSet"), 2);
    QCOMPARE(owsim::callCount("gdiReadSubset"), 3);       // tables, curves, picks
    QCOMPARE(owsim::callCount("gdiRead"), 8);             // header, preferred, 2 lists, position log, 3 colours
    QCOMPARE(owsim::callCount("gdiReadVector"), 2 + 5 + 1); // tables, curves, position log
    QCOMPARE(owsim::callCount("gdiReleaseVectors"), 2 + 5 + 1);
    QCOMPARE(owsim::callCount("gdiExists"), 1);
    QCOMPARE(owsim::callCount("untGetAbbrID"), 2);
    QCOMPARE(owsim::callCount("gdiGetMeasSystemUnitIdForField"), 2);
    QCOMPARE(owsim::callCount("gdiSetVectorAccess"), 12);
}

QTEST_MAIN(TestWellImportFailures)
#include "tst_wellimportfailures.moc"
