// The window's export arrow with wells selected in the host tree: a well set
// and a well of no set; the well of no set is associated through the real
// well list dialog (a drop, then OK, or Cancel); the wells arrive in their
// OpenWorks lists and the run report is written next to the log.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owsim.h"
#include "wellexportchecks.h"
#include "zrdialogexchangeui.h"
#include "zrlogdatabase.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkstableview.h"
#include "zropenworkswelllistreferencewidget.h"
#include "zropenworkswelllistsupportdialog.h"
#include "zropenworkswellmodel.h"
#include "zrprojectbrowsermodel.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"
#include "zrwelllisttablemodel.h"
#include "zrwellimport.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace
{

/// Runs `answer` on the well list dialog once it is the active modal window.
class DialogAnswerer : public QObject
{
public:
    explicit DialogAnswerer(std::function<void(ZROpenworksWellListSupportDialog*)> answer)
        : m_answer(std::move(answer))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<ZROpenworksWellListSupportDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            answered = true;
            m_answer(dialog);
        });
        m_timer.start(10);
    }
    bool answered = false;

private:
    std::function<void(ZROpenworksWellListSupportDialog*)> m_answer;
    QTimer m_timer;
};

} // namespace

class TestWellExportWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void exportArrowWithTheDialog();
    void associationCancelled();
    void nothingButWells();

private:
    ZROpenworksExchangeDialog* openDialog(const QString& project);
    void selectHostItems(const QStringList& names);
    QString newestReport(const QStringList& before) const;

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZRScriptedExchangeUi* m_ui = nullptr;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
    QString m_reports;
};

void TestWellExportWindow::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_reports = m_fixture->environment().makeFolder("reports");
    for (const char* project : {"WINDOW", "CANCEL"}) {
        std::string error;
        QVERIFY2(owsim::createProject(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                                      project, owsim::MeasurementSystem::Metric, &error),
                 error.c_str());
    }
    // FT-01 and FT-02 (the host well set "Field Tests") and a well of no set.
    openDialog(ExchangeFixture::Project);
    const ZROpenworksWellModel* catalogue = m_dialog->projectBrowser()->wellModel();
    QVector<int> rows;
    for (int row = 0; row < catalogue->rowCount(); ++row) {
        const QString label = catalogue->index(row, ZROpenworksWellModel::WellNumberColumn).data().toString();
        if (label == QLatin1String("FT-01") || label == QLatin1String("FT-02"))
            rows.append(row);
    }
    QCOMPARE(importWells(m_dialog->exchangeContext(), wellImportItemsFromRows(*catalogue, rows)), 2);
    ZRLogDatabase* database = m_fixture->wellDatabase();
    QVERIFY(database->CreateWell(QStringLiteral("Loner")));
    QVERIFY(database->save());
    delete m_dialog;
}

void TestWellExportWindow::cleanup()
{
    delete m_dialog;
}

ZROpenworksExchangeDialog* TestWellExportWindow::openDialog(const QString& project)
{
    m_dialog = m_fixture->makeDialog(m_ui);
    m_dialog->setReportFolder(m_reports);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(project);
    m_dialog->projectBrowser()->setCategoryById(ZROpenworksProjectBrowser::Wells);
    m_dialog->hostTree()->reload();
    return m_dialog;
}

void TestWellExportWindow::selectHostItems(const QStringList& names)
{
    ZRProjectBrowserModel* tree = m_dialog->hostTree();
    tree->selectionModel()->clearSelection();
    const QModelIndex category = tree->categoryIndex(QStringLiteral("Well"));
    QVERIFY(category.isValid());
    for (int row = 0; row < tree->rowCount(category); ++row) {
        const QModelIndex item = tree->index(row, 0, category);
        if (names.contains(item.data(Qt::DisplayRole).toString()))
            tree->selectionModel()->select(item, QItemSelectionModel::Select);
    }
    QCOMPARE(tree->selection().size(), names.size());
}

QString TestWellExportWindow::newestReport(const QStringList& before) const
{
    QStringList reports = QDir(m_reports).entryList(QDir::Files);
    for (const QString& name : before)
        reports.removeAll(name);
    return reports.size() == 1 ? QDir(m_reports).filePath(reports.first()) : QString();
}

void TestWellExportWindow::exportArrowWithTheDialog()
{
    openDialog(QStringLiteral("WINDOW"));
    m_dialog->setUi(std::make_unique<ZRDialogExchangeUi>(m_dialog));
    selectHostItems({"Field Tests", "Loner"});
    const QStringList reportsBefore = QDir(m_reports).entryList(QDir::Files);
    DialogAnswerer answerer([](ZROpenworksWellListSupportDialog* dialog) {
        // Only the well of no set is asked about; the set's list exists already.
        QCOMPARE(dialog->referenceWidgets().size(), 1);
        QCOMPARE(dialog->referenceWidgets().first()->nameLabel()->text(), QStringLiteral("Loner"));
        QVERIFY(dialog->wellListModel()->rowOfList(QStringLiteral("Field Tests")) >= 0);
        QVERIFY(!dialog->okButton()->isEnabled());
        QMimeData data;
        data.setData(ZROpenworksTableView::MimeType, QByteArray());
        data.setText(QStringLiteral("Field Tests"));
        dialog->referenceWidgets().first()->takeDrop(&data);
        QVERIFY(dialog->okButton()->isEnabled());
        dialog->okButton()->click();
    });
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    QVERIFY(answerer.answered);

    QStringList members = wellKeysOfList(QStringLiteral("Field Tests"));
    members.sort();
    QCOMPARE(members, (QStringList{"Loner", "NO 15/9-F-1", "NO 15/9-F-2"}));
    // The catalogue shows them after the export.
    const ZROpenworksWellModel* catalogue = m_dialog->projectBrowser()->wellModel();
    QCOMPARE(catalogue->rowCount(), 3);

    const QString path = newestReport(reportsBefore);
    QVERIFY(path.contains("Velostrat-OpenWorks-export-wells-"));
    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(path, &report, &error), qPrintable(error));
    QCOMPARE(report.value("requested").toInt(), 3);
    QCOMPARE(report.value("transferred").toInt(), 3);
    for (const QJsonValue& item : report.value("items").toArray())
        QCOMPARE(item.toObject().value("outcome").toString(), ZRTransferReport::Exported);
}

void TestWellExportWindow::associationCancelled()
{
    openDialog(QStringLiteral("CANCEL"));
    m_dialog->setUi(std::make_unique<ZRDialogExchangeUi>(m_dialog));
    selectHostItems({"Field Tests", "Loner"});
    const QStringList reportsBefore = QDir(m_reports).entryList(QDir::Files);
    DialogAnswerer answerer([](ZROpenworksWellListSupportDialog* dialog) { dialog->cancelButton()->click(); });
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    QVERIFY(answerer.answered);
    QStringList members = wellKeysOfList(QStringLiteral("Field Tests"));
    members.sort();
    QCOMPARE(members, (QStringList{"NO 15/9-F-1", "NO 15/9-F-2"}));
    QCOMPARE(recordCount(GDI_CLASS_WELL), 2);
    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(newestReport(reportsBefore), &report, &error), qPrintable(error));
    QCOMPARE(report.value("requested").toInt(), 3);
    QCOMPARE(report.value("transferred").toInt(), 2);
    QStringList outcomes;
    for (const QJsonValue& item : report.value("items").toArray())
        outcomes.append(item.toObject().value("source").toObject().value("name").toString() + ":"
                        + item.toObject().value("outcome").toString());
    QVERIFY2(outcomes.contains("Loner:skipped"), qPrintable(outcomes.join(", ")));
}

void TestWellExportWindow::nothingButWells()
{
    openDialog(QStringLiteral("CANCEL"));
    // The category item itself is no well: nothing is exported, nothing asked.
    ZRProjectBrowserModel* tree = m_dialog->hostTree();
    tree->selectionModel()->clearSelection();
    tree->selectionModel()->select(tree->categoryIndex(QStringLiteral("Well")), QItemSelectionModel::Select);
    const int wells = recordCount(GDI_CLASS_WELL);
    const QStringList reportsBefore = QDir(m_reports).entryList(QDir::Files);
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(recordCount(GDI_CLASS_WELL), wells);
    QCOMPARE(QDir(m_reports).entryList(QDir::Files), reportsBefore);
}

QTEST_MAIN(TestWellExportWindow)
#include "tst_wellexportwindow.moc"
