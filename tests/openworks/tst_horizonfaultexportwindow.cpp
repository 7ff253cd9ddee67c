// The exchange window's export arrow on the horizon and fault pages, with the
// real survey association dialog answered by drops: "Apply to All" with an
// OpenWorks survey, then one item replaced by a host volume; the items go
// into their surveys (the volume exported as a new one), the catalogue page
// shown gets the new rows, and a run report is written.

#include "exchangefixture.h"
#include "exportchecks.h"
#include "horizonfaultchecks.h"
#include "owdevkit.h"
#include "owguards.h"
#include "unittable.h"
#include "volumeexportchecks.h"
#include "zrdialogexchangeui.h"
#include "zrfaultapifunctions.h"
#include "zropenworksapplytoallwidget.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksfaultmodel.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssurveyreferencewidget.h"
#include "zropenworkssurveysupportdialog.h"
#include "zropenworkstableview.h"
#include "zrproject.h"
#include "zrprojectbrowsermodel.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace
{

constexpr const char* Frontier = "Frontier 3D";

/// Scripted answers and recorded boxes, except the survey association
/// question, which the real dialog answers.
class DialogAssociationUi : public ZRScriptedExchangeUi
{
public:
    explicit DialogAssociationUi(QWidget* window)
        : m_dialogUi(window)
    {
    }
    bool askSurveyAssociations(int mode, const QModelIndexList& items, QList<SurveyAssociation>& associations) override
    {
        modes.append(mode);
        return m_dialogUi.askSurveyAssociations(mode, items, associations);
    }
    QList<int> modes;

private:
    ZRDialogExchangeUi m_dialogUi;
};

/// Runs `answer` on the survey association dialog once it is the active modal window.
class DialogAnswerer : public QObject
{
public:
    explicit DialogAnswerer(std::function<void(ZROpenworksSurveySupportDialog*)> answer)
        : m_answer(std::move(answer))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<ZROpenworksSurveySupportDialog*>(QApplication::activeModalWidget());
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
    std::function<void(ZROpenworksSurveySupportDialog*)> m_answer;
    QTimer m_timer;
};

std::unique_ptr<QMimeData> openWorksSurvey(const QString& name)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(ZROpenworksTableView::MimeType, QByteArray());
    data->setText(name);
    return data;
}

int surveyIdOf(const QString& name)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    owSetText(survey.name, name.toLocal8Bit());
    return gdiRead(GDI_CLASS_3D_SURVEY, &survey) == 0 ? survey.id : 0;
}

/// The survey ids a horizon holds data in.
QList<int> surveysOfHorizon(int horizonId)
{
    gdiHorizonCatalog_t catalog;
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = horizonId;
    QList<int> surveys;
    int count = 0;
    void* list = nullptr;
    if (gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog) == 0
        && gdiReadSubset(GDI_CLASS_HORIZON_CATALOG, &catalog, GDI_CLASS_HORIZON_DATA, &count, &list) == 0)
        for (int i = 0; i < count; ++i)
            surveys.append(static_cast<gdiHorizonData_t*>(list)[i].surveyId);
    if (list)
        gdiRelease(GDI_CLASS_HORIZON_DATA, count, list);
    return surveys;
}

/// The survey ids of a fault plane's segments.
QList<int> surveysOfPlane(int planeId)
{
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    plane.id = planeId;
    QList<int> surveys;
    int count = 0;
    void* list = nullptr;
    if (gdiRead(GDI_CLASS_FAULT_PLANE, &plane) == 0
        && gdiReadSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count, &list) == 0)
        for (int i = 0; i < count; ++i)
            surveys.append(static_cast<gdiFaultSegment_t*>(list)[i].surveyId);
    if (list)
        gdiRelease(GDI_CLASS_FAULT_SEGMENT, count, list);
    return surveys;
}

} // namespace

class TestHorizonFaultExportWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void horizonsThroughTheDialog();
    void faultsThroughTheDialog();
    void declinedDialogExportsNothing();

private:
    void openDialog(int category);
    /// Selects host items by file name in a category of the host tree.
    void selectHostItems(const QString& category, const QStringList& names);
    /// Answers the association dialog: Frontier 3D for all, then the volume for item `replaced`.
    void answer(ZROpenworksSurveySupportDialog* dialog, int replaced);
    QString newestReport(const QStringList& before) const;

    std::unique_ptr<ExchangeFixture> m_fixture;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
    DialogAssociationUi* m_ui = nullptr;
    QString m_reports;
    QString m_volume;
};

void TestHorizonFaultExportWindow::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_reports = m_fixture->environment().makeFolder("reports");
    const ZRProject& project = m_fixture->project();
    for (int type : {ZRProject::VolumeType, ZRProject::HorizonType, ZRProject::FaultType})
        QVERIFY(QDir().mkpath(project.directoryForType(type)));
    // A volume over Frontier 3D's corner: traces 1-20, lines 1-10, 50 m apart.
    SyntheticVolume volume;
    volume.dimx = 20;
    volume.dimz = 10;
    volume.originX = 449000.0;
    volume.originY = 6790000.0;
    volume.traceVectorX = 50.0;
    volume.traceVectorY = 0.0;
    volume.lineVectorX = 0.0;
    volume.lineVectorY = 50.0;
    m_volume = project.directoryForType(ZRProject::VolumeType) + "/window_survey";
    QString error;
    QVERIFY2(volume.write(m_volume, &error), qPrintable(error));
    for (int h = 0; h < 3; ++h)
        QVERIFY(writeSyntheticHorizon(project.directoryForType(ZRProject::HorizonType) + QStringLiteral("/window horizon %1").arg(h),
                                      30, 20, 449000.0, 6790000.0, 50.0, 50.0,
                                      [h](int i, int j) { return float(100 * h + i + j); }, Millisecond));
    for (int f = 0; f < 3; ++f) {
        core::MultiArray<core::vec3> sticks(1);
        sticks[0] = {core::vec3(449100 + f, 800, 6790100), core::vec3(449110 + f, 900, 6790110),
                     core::vec3(-9999, -9999, -9999), core::vec3(449200, 850, 6790200)};
        QVERIFY(ZRFaultApiFunctions::write3DFaultStick(
            project.directoryForType(ZRProject::FaultType) + QStringLiteral("/window fault %1").arg(f),
            {QStringLiteral("window fault %1").arg(f)}, sticks, true, georef::Crs()));
    }
}

void TestHorizonFaultExportWindow::cleanup()
{
    delete m_dialog;
}

void TestHorizonFaultExportWindow::openDialog(int category)
{
    ZRScriptedExchangeUi* scripted = nullptr;
    m_dialog = m_fixture->makeDialog(scripted);
    auto ui = std::make_unique<DialogAssociationUi>(m_dialog);
    m_ui = ui.get();
    m_dialog->setUi(std::move(ui));
    m_dialog->setReportFolder(m_reports);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    m_dialog->projectBrowser()->setCategoryById(category);
    m_dialog->hostTree()->reload();
}

void TestHorizonFaultExportWindow::selectHostItems(const QString& category, const QStringList& names)
{
    ZRProjectBrowserModel* tree = m_dialog->hostTree();
    tree->selectionModel()->clearSelection();
    for (const QModelIndex& item : tree->itemsOfCategory(category))
        if (names.contains(QFileInfo(item.data(ZRProjectBrowserModel::PathRole).toString()).fileName()))
            tree->selectionModel()->select(item, QItemSelectionModel::Select);
    QCOMPARE(tree->selection().size(), names.size());
}

void TestHorizonFaultExportWindow::answer(ZROpenworksSurveySupportDialog* dialog, int replaced)
{
    QVERIFY(dialog->applyToAllWidget());
    QVERIFY(!dialog->okButton()->isEnabled());
    dialog->applyToAllWidget()->takeDrop(openWorksSurvey(Frontier).get());
    QVERIFY(dialog->okButton()->isEnabled());
    // The host volume dragged from the dialog's own volume tree onto one item.
    QModelIndex volume;
    for (const QModelIndex& item : dialog->hostVolumesModel()->volumeItems())
        if (item.data(ZRProjectBrowserModel::PathRole).toString() == m_volume)
            volume = item;
    QVERIFY(volume.isValid());
    std::unique_ptr<QMimeData> data(dialog->hostVolumesModel()->mimeData({volume}));
    dialog->referenceWidgets()[replaced]->takeDrop(data.get());
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
}

QString TestHorizonFaultExportWindow::newestReport(const QStringList& before) const
{
    QStringList reports = QDir(m_reports).entryList(QDir::Files);
    for (const QString& name : before)
        reports.removeAll(name);
    return reports.size() == 1 ? QDir(m_reports).filePath(reports[0]) : QString();
}

void TestHorizonFaultExportWindow::horizonsThroughTheDialog()
{
    openDialog(ZROpenworksProjectBrowser::Horizons);
    selectHostItems("Horizon", {"window horizon 0", "window horizon 1", "window horizon 2"});
    const int rows = m_dialog->projectBrowser()->horizonModel()->rowCount();
    const QStringList reportsBefore = QDir(m_reports).entryList(QDir::Files);
    DialogAnswerer answerer([this](ZROpenworksSurveySupportDialog* dialog) { answer(dialog, 1); });
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    QVERIFY(answerer.answered);
    QCOMPARE(m_ui->modes, QList<int>{0});
    for (const auto& message : m_ui->messages)
        qWarning("%s: %s", qPrintable(message.title), qPrintable(message.text));
    QCOMPARE(m_ui->messages.size(), 0);

    const int frontier = surveyIdOf(Frontier);
    const int made = surveyIdOf("window survey");
    QVERIFY(frontier > 0 && made > 0);
    for (int h = 0; h < 3; ++h) {
        const int id = newestHorizonId(QStringLiteral("window horizon %1").arg(h));
        QVERIFY(id > 0);
        QCOMPARE(surveysOfHorizon(id), QList<int>{h == 1 ? made : frontier});
    }
    // The catalogue page shown has the new horizons.
    const ZROpenworksHorizonModel* catalogue = m_dialog->projectBrowser()->horizonModel();
    QCOMPARE(catalogue->rowCount(), rows + 3);
    QStringList names;
    for (int row = rows; row < rows + 3; ++row)
        names.append(catalogue->index(row, ZROpenworksHorizonModel::HorizonNameColumn).data().toString());
    QCOMPARE(names, QStringList({"window horizon 0", "window horizon 1", "window horizon 2"}));

    const QString reportPath = newestReport(reportsBefore);
    QVERIFY(QFileInfo(reportPath).fileName().startsWith("Velostrat-OpenWorks-export-horizons-"));
    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(reportPath, &report, &error), qPrintable(error));
    QCOMPARE(report.value("requested").toInt(), 3);
    QCOMPARE(report.value("transferred").toInt(), 3);
    QCOMPARE(report.value("items").toArray().size(), 4); // the volume and the three horizons
}

void TestHorizonFaultExportWindow::faultsThroughTheDialog()
{
    openDialog(ZROpenworksProjectBrowser::Faults);
    selectHostItems("Fault", {"window fault 0", "window fault 1", "window fault 2"});
    const int rows = m_dialog->projectBrowser()->faultModel()->rowCount();
    const QStringList reportsBefore = QDir(m_reports).entryList(QDir::Files);
    DialogAnswerer answerer([this](ZROpenworksSurveySupportDialog* dialog) { answer(dialog, 2); });
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    QVERIFY(answerer.answered);
    QCOMPARE(m_ui->modes, QList<int>{1});
    QCOMPARE(m_ui->messages.size(), 0);

    // The volume's survey was made by the horizon test or is made now.
    const int frontier = surveyIdOf(Frontier);
    const int made = surveyIdOf("window survey");
    QVERIFY(frontier > 0 && made > 0);
    for (int f = 0; f < 3; ++f) {
        const QList<int> planes = faultPlaneIdsOf(QStringLiteral("window fault %1").arg(f));
        QCOMPARE(planes.size(), 1);
        QCOMPARE(surveysOfPlane(planes[0]), QList<int>({f == 2 ? made : frontier, f == 2 ? made : frontier}));
    }
    const ZROpenworksFaultModel* catalogue = m_dialog->projectBrowser()->faultModel();
    QCOMPARE(catalogue->rowCount(), rows + 3);
    QCOMPARE(catalogue->index(rows + 2, ZROpenworksFaultModel::NameColumn).data().toString(),
             QStringLiteral("window fault 2"));
    const QString reportPath = newestReport(reportsBefore);
    QVERIFY(QFileInfo(reportPath).fileName().startsWith("Velostrat-OpenWorks-export-faults-"));
}

void TestHorizonFaultExportWindow::declinedDialogExportsNothing()
{
    openDialog(ZROpenworksProjectBrowser::Horizons);
    selectHostItems("Horizon", {"window horizon 0"});
    const RecordCounts before = RecordCounts::now();
    DialogAnswerer answerer([](ZROpenworksSurveySupportDialog* dialog) {
        // One item: no "Apply to All"; the dialog is cancelled.
        QVERIFY(!dialog->applyToAllWidget());
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    QTest::mouseClick(m_dialog->exportButton(), Qt::LeftButton);
    QVERIFY(answerer.answered);
    QCOMPARE(RecordCounts::now(), before);
    QCOMPARE(m_ui->messages.size(), 0);
}

QTEST_MAIN(TestHorizonFaultExportWindow)
#include "tst_horizonfaultexportwindow.moc"
