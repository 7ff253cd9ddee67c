// The part every headless subcommand shares (ZRHeadlessRun), in process: an
// interrupt (Ctrl-C or SIGTERM) cancels the running exchange and the run ends
// with the "interrupted" exit code, never as a success.

#include "exchangefixture.h"
#include "zrheadlesscommand.h"
#include "zrheadlessrun.h"
#include "zropenworkssurveymodel.h"
#include "zrproject.h"
#include "zrsurveyimport.h"

#include <QtTest>

#include <csignal>

class TestHeadlessRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void parsesTheSharedOptions();
    void interruptEndsTheRunAsInterrupted();

private:
    QStringList projectArguments() const;
    std::unique_ptr<ExchangeFixture> m_fixture;
};

void TestHeadlessRun::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
}

QStringList TestHeadlessRun::projectArguments() const
{
    return {"--host-project", m_fixture->project().projectPath(), "--district", ExchangeFixture::District,
            "--project", ExchangeFixture::Project};
}

void TestHeadlessRun::parsesTheSharedOptions()
{
    {
        ZRHeadlessRun run("import-surveys", "Imports.");
        QCOMPARE(run.parse(projectArguments() + QStringList{"--dry-run"}), -1);
        QVERIFY(run.isDryRun());
    }
    {
        ZRHeadlessRun run("import-surveys", "Imports.");
        QCOMPARE(run.parse({"--project", "DEMO"}), int(ZRHeadlessCommand::ExitUsage));
    }
    {
        // --on-conflict exists only where a subcommand asks for it.
        ZRHeadlessRun run("export-volumes", "Exports.");
        QCOMPARE(run.parse(projectArguments() + QStringList{"--on-conflict", "skip"}),
                 int(ZRHeadlessCommand::ExitUsage));
    }
    {
        ZRHeadlessRun run("import-surveys", "Imports.");
        run.addConflictOption();
        QCOMPARE(run.parse(projectArguments() + QStringList{"--on-conflict", "merge"}),
                 int(ZRHeadlessCommand::ExitUsage));
    }
}

void TestHeadlessRun::interruptEndsTheRunAsInterrupted()
{
    ZRHeadlessRun run("import-surveys", "Imports.");
    run.addConflictOption();
    QCOMPARE(run.parse(projectArguments()), -1);
    QVERIFY(run.open());
    QVERIFY(!ZRTerminalProgressBarFactory::interrupted());
    // The handler is in place once the run is open: SIGTERM asks for a stop.
    std::raise(SIGTERM);
    QVERIFY(ZRTerminalProgressBarFactory::interrupted());

    ZROpenworksSurveyModel catalogue;
    catalogue.loadFromOpenworks(-1);
    QVector<int> rows;
    for (int row = 0; row < catalogue.rowCount(); ++row)
        if (catalogue.index(row, ZROpenworksSurveyModel::DataSetColumn).data().toString() == "NS Time Full")
            rows.append(row);
    const int imported = importSurveys(run.context(), surveyImportRequestsFromRows(catalogue, rows, nullptr));
    QCOMPARE(imported, 0);
    QCOMPARE(run.finish(1, imported, "data sets imported"), int(ZRHeadlessCommand::ExitInterrupted));
    QCOMPARE(QDir(m_fixture->project().directoryForType(1)).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestHeadlessRun)
#include "tst_headlessrun.moc"
