// The exchange window's export arrow with volumes selected in the host tree:
// the volumes become OpenWorks surveys shown in the catalogue at once, a run
// report is written, and the window's user interface gives the survey
// association dialog the window's catalogue.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owguards.h"
#include "volumeexportchecks.h"
#include "zrdialogexchangeui.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkssurveysupportdialog.h"
#include "zrproject.h"
#include "zrprojectbrowsermodel.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QPointer>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QtTest>

class TestVolumeExportWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void exportArrow();
    void onlyVolumesAreExported();
    void associationDialogShowsTheCatalogue();

private:
    ZROpenworksExchangeDialog* openDialog();
    void selectHostItems(const QStringList& paths);
    QString volumeFolder() const { return m_fixture->project().directoryForType(1); }
    int catalogueRowsOf(const QString& survey) const;

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZRScriptedExchangeUi* m_ui = nullptr;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
    QString m_reports;
};

void TestVolumeExportWindow::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(QDir().mkpath(volumeFolder()));
    m_reports = m_fixture->environment().makeFolder("reports");
    QString error;
    SyntheticVolume volume;
    QVERIFY2(volume.write(volumeFolder() + "/window_volume_1", &error), qPrintable(error));
    QVERIFY2(volume.write(volumeFolder() + "/window_volume_2", &error), qPrintable(error));
    const QString horizons = m_fixture->project().directoryForType(ZRProject::HorizonType);
    QVERIFY(QDir().mkpath(horizons));
    QFile horizon(horizons + "/window horizon");
    QVERIFY(horizon.open(QIODevice::WriteOnly));
}

void TestVolumeExportWindow::cleanup()
{
    delete m_dialog;
}

ZROpenworksExchangeDialog* TestVolumeExportWindow::openDialog()
{
    m_dialog = m_fixture->makeDialog(m_ui);
    m_dialog->setReportFolder(m_reports);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    m_dialog->projectBrowser()->setCategoryById(ZROpenworksProjectBrowser::Surveys);
    m_dialog->hostTree()->reload();
    return m_dialog;
}

void TestVolumeExportWindow::selectHostItems(const QStringList& paths)
{
    ZRProjectBrowserModel* tree = m_dialog->hostTree();
    tree->selectionModel()->clearSelection();
    QModelIndexList all = tree->volumeItems() + tree->itemsOfCategory("Horizon");
    for (const QModelIndex& item : all)
        if (paths.contains(QFileInfo(item.data(ZRProjectBrowserModel::PathRole).toString()).fileName()))
            tree->selectionModel()->select(item, QItemSelectionModel::Select);
    QCOMPARE(tree->selection().size(), paths.size());
}

int TestVolumeExportWindow::catalogueRowsOf(const QString& survey) const
{
    const ZROpenworksSurveyModel* model = m_dialog->projectBrowser()->surveyModel();
    int rows = 0;
    for (int row = 0; row < model->rowCount(); ++row)
        rows += model->index(row, ZROpenworksSurveyModel::SurveyNameColumn).data().toString() == survey ? 1 : 0;
    return rows;
}

void TestVolumeExportWindow::exportArrow()
{
    openDialog();
    selectHostItems({"window_volume_1", "window_volume_2"});
    const QStringList reportsBefore = QDir(m_reports).entryList(QDir::Files);
    QVERIFY(m_dialog->exportButton()->isEnabled());
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    for (const auto& message : m_ui->messages)
        qWarning("%s: %s", qPrintable(message.title), qPrintable(message.text));
    QCOMPARE(m_ui->messages.size(), 0);

    // Both surveys are in OpenWorks with their data set, and in the catalogue shown.
    for (const QString survey : {"window volume 1", "window volume 2"}) {
        gdi3dSurvey_t record;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &record);
        owSetText(record.name, survey.toLatin1());
        QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &record), 0);
        QCOMPARE(catalogueRowsOf(survey), 1);
    }
    // The run report.
    QStringList reports = QDir(m_reports).entryList(QDir::Files);
    for (const QString& name : reportsBefore)
        reports.removeAll(name);
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].startsWith("Velostrat-OpenWorks-export-volumes-"));
    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(QDir(m_reports).filePath(reports[0]), &report, &error), qPrintable(error));
    const QJsonArray items = report.value("items").toArray();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0].toObject().value("outcome").toString(), ZRTransferReport::Exported);
}

void TestVolumeExportWindow::onlyVolumesAreExported()
{
    openDialog();
    // A horizon selected while the catalogue shows surveys is no volume: nothing happens.
    selectHostItems({"window horizon"});
    const int rows = m_dialog->projectBrowser()->surveyModel()->rowCount();
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 0);
    QCOMPARE(m_dialog->projectBrowser()->surveyModel()->rowCount(), rows);
}

void TestVolumeExportWindow::associationDialogShowsTheCatalogue()
{
    openDialog();
    ZRDialogExchangeUi ui(m_dialog);
    bool shown = false;
    QTimer::singleShot(0, this, [&] {
        QTimer* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [&, poll] {
            auto* dialog = qobject_cast<ZROpenworksSurveySupportDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll->deleteLater();
            poll->stop();
            shown = true;
            // The window's survey catalogue and host project are offered.
            QCOMPARE(dialog->surveyProxy()->rowCount(), m_dialog->projectBrowser()->surveyModel()->rowCount());
            QVERIFY(dialog->hostVolumesModel()->volumeItems().size() >= 2);
            dialog->reject();
        });
        poll->start(10);
    });
    QList<SurveyAssociation> associations;
    QVERIFY(!ui.askSurveyAssociations(0, m_dialog->hostTree()->itemsOfCategory("Horizon"), associations));
    QVERIFY(shown);
}

QTEST_MAIN(TestVolumeExportWindow)
#include "tst_volumeexportwindow.moc"
