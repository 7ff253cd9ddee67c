// A well import killed during the save of the well database (the helper
// process wellimportchild blocked at a known step of its save, then killed)
// leaves the database entirely as it was before the import (the well absent,
// every other well whole) or entirely new (the well there, whole), and the
// next import goes on from there.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "wellimportchecks.h"
#include "zrlogdatabase.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkswellmodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrwelldbsavejournal.h"
#include "zrwellimport.h"

#include <QComboBox>
#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QtTest>

class TestWellImportInterrupt : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void killedSave_data();
    void killedSave();

private:
    /// Runs the child on the host project; its output once it stopped (it is
    /// killed then) or ended.
    QByteArray runChild(const QString& hostProject, const QString& phase, int step, const QStringList& wells,
                        bool* stopped);
    QString wellKeyOf(const QString& label) const;
    QString compareWithOpenWorks(const QString& label, const QString& list, const QString& folder) const;

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZRScriptedExchangeUi* m_ui = nullptr;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
    QString m_child;
    int m_projects = 0;
};

void TestWellImportInterrupt::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_child = TestEnvironment::binaryPath() + QStringLiteral("/wellimportchild");
    QVERIFY2(QFile::exists(m_child), qPrintable(m_child));
    m_dialog = m_fixture->makeDialog(m_ui);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
}

void TestWellImportInterrupt::cleanupTestCase()
{
    delete m_dialog;
}

QString TestWellImportInterrupt::wellKeyOf(const QString& label) const
{
    const ZROpenworksWellModel* model = m_dialog->projectBrowser()->wellModel();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, ZROpenworksWellModel::WellNumberColumn).data().toString() == label)
            return model->index(row, ZROpenworksWellModel::WellKeyColumn).data().toString();
    return QString();
}

QString TestWellImportInterrupt::compareWithOpenWorks(const QString& label, const QString& list,
                                                      const QString& folder) const
{
    OpenWorksWell openWorks;
    QString error;
    if (!readOpenWorksWell(wellKeyOf(label), &openWorks, &error))
        return error;
    HostWellDatabase host;
    if (!host.load(folder, &error))
        return error;
    return compareWell(openWorks, host, list, ExpectedUnits());
}

QByteArray TestWellImportInterrupt::runChild(const QString& hostProject, const QString& phase, int step,
                                             const QStringList& wells, bool* stopped)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(m_child, QStringList{ExchangeFixture::District, ExchangeFixture::Project, hostProject, phase,
                                     QString::number(step)}
                             + wells);
    if (!child.waitForStarted(10000))
        return QByteArray();
    QByteArray output;
    const bool reached = QTest::qWaitFor(
        [&] {
            child.waitForReadyRead(100);
            output += child.readAllStandardOutput();
            return output.contains("STOPPED") || child.state() == QProcess::NotRunning;
        },
        120000);
    *stopped = reached && output.contains("STOPPED");
    if (*stopped)
        child.kill();
    child.waitForFinished(10000);
    output += child.readAllStandardOutput();
    return output;
}

void TestWellImportInterrupt::killedSave_data()
{
    QTest::addColumn<QString>("phase");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("arrived");
    QTest::newRow("while writing rows") << "rows" << 15 << false;
    QTest::newRow("before the first data file") << "data files" << 0 << false;
    QTest::newRow("half of the data files") << "data files" << 10 << false;
    QTest::newRow("every data file written") << "data files" << 20 << false;
    QTest::newRow("before the commit") << "committing" << 0 << false;
    QTest::newRow("just after the commit") << "completing" << 0 << true;
    QTest::newRow("not killed") << "" << 0 << true;
}

void TestWellImportInterrupt::killedSave()
{
    QFETCH(QString, phase);
    QFETCH(int, step);
    QFETCH(bool, arrived);
    const QString path = m_fixture->makeHostProject(QStringLiteral("Killed%1").arg(++m_projects));
    QVERIFY(!path.isEmpty());
    const QString folder = ZRProject(path).wellDatabasePath();

    // A well imported before, whole.
    bool stopped = false;
    QByteArray output = runChild(path, QString(), 0, {QStringLiteral("NS-02")}, &stopped);
    QVERIFY2(output.contains("IMPORTED 1"), output.constData());

    // FT-01, killed inside its save.
    output = runChild(path, phase, step, {QStringLiteral("FT-01")}, &stopped);
    QCOMPARE(stopped, !phase.isEmpty());
    if (!stopped)
        QVERIFY2(output.contains("IMPORTED 1"), output.constData());

    {
        ZRLogDatabase database;
        QVERIFY(database.load(folder, QStringLiteral("killed"), QStringLiteral("Killed"), true));
        QCOMPARE(database.findWell(QStringLiteral("FT-01")) != nullptr, arrived);
        QCOMPARE(database.wells().size(), arrived ? 2 : 1);
    }
    QVERIFY(!QFile::exists(ZRWellDbSaveJournal::journalFileName(folder)));
    QVERIFY(QDir(folder).entryList({QStringLiteral("*.saving")}, QDir::Files).isEmpty());
    QString difference = compareWithOpenWorks(QStringLiteral("NS-02"), QStringLiteral("Exploration"), folder);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    if (arrived) {
        difference = compareWithOpenWorks(QStringLiteral("FT-01"), QStringLiteral("Field Tests"), folder);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
    // Every stored log has its data file; files left by the killed save belong to no log.
    HostWellDatabase host;
    QString error;
    QVERIFY2(host.load(folder, &error), qPrintable(error));
    QSet<QString> stored;
    for (const HostWellDatabase::Log& log : host.logs) {
        stored.insert(QStringLiteral("LOGDATA_%1").arg(log.id));
        QVector<double> values;
        QStringList names;
        QVERIFY2(readRealLogFile(QDir(folder).filePath(QStringLiteral("LOGDATA_%1").arg(log.id)), &values, &error)
                     || readTextLogFile(QDir(folder).filePath(QStringLiteral("LOGDATA_%1").arg(log.id)), &names,
                                        &error),
                 qPrintable(error));
    }
    for (const QString& file : host.logDataFiles())
        QVERIFY(stored.contains(file) || !arrived);

    // The next import goes on: FT-01 arrives (again) whole, or meets its name.
    output = runChild(path, QString(), 0, {QStringLiteral("FT-01")}, &stopped);
    QVERIFY2(output.contains(arrived ? "IMPORTED 0" : "IMPORTED 1"), output.constData());
    difference = compareWithOpenWorks(QStringLiteral("FT-01"), QStringLiteral("Field Tests"), folder);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    HostWellDatabase after;
    QVERIFY2(after.load(folder, &error), qPrintable(error));
    QCOMPARE(after.logDataFiles().size(), after.logs.size());
}

QTEST_MAIN(TestWellImportInterrupt)
#include "tst_wellimportinterrupt.moc"
