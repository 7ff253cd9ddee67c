// The survey association dialog driven through its widgets: drops of host
// volumes and OpenWorks surveys (as data and as drop events), the
// apply-to-all target, "OK" following the associations, the survey table's
// drag format and search, the volumes-only host tree, and the window's user
// interface answering through the real dialog.

#include "iconxpmhandler.h"
#include "testenvironment.h"
#include "zrdialogexchangeui.h"
#include "zropenworksapplytoallwidget.h"
#include "zropenworkssurveyreferencewidget.h"
#include "zropenworkssurveysupportdialog.h"
#include "zropenworkstableview.h"
#include "zrproject.h"
#include "zrprojectbrowsermodel.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace
{

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

} // namespace

class TestSurveySupportDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void layout();
    void hostVolumeDrop();
    void twoHostItemsLeaveNoSurvey();
    void otherHostItemsAreNoSurvey();
    void openWorksSurveyDrop();
    void dropEvents();
    void applyToAllThenOneReplaced();
    void applyToAllWithNothingUsable();
    void surveyTable();
    void volumesOnlyHostTree();
    void windowUiAnswersThroughTheDialog();
    void windowUiCancelled();

private:
    std::unique_ptr<ZROpenworksSurveySupportDialog> makeDialog(int items, int mode = 0);
    std::unique_ptr<QMimeData> hostItems(const QModelIndexList& items) const;

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<ZRProject> m_project;
    std::unique_ptr<ZRProjectBrowserModel> m_tree;
    QStandardItemModel m_surveys;
    QModelIndexList m_horizons;
    QModelIndexList m_volumes;
};

void TestSurveySupportDialog::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    if (!iconHandler)
        iconHandler = new IconXPMHandler;
    const QString parent = m_environment->makeFolder("host");
    QString error;
    QVERIFY2(ZRProject::createEmptyProject(parent, "Dialog", &error), qPrintable(error));
    m_project = std::make_unique<ZRProject>(parent + "/Dialog");
    const auto touch = [](const QString& folder, const QString& name) {
        QDir().mkpath(folder);
        QFile file(folder + "/" + name);
        return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
    };
    for (const char* name : {"Volume A", "Volume_B"})
        QVERIFY(touch(m_project->directoryForType(ZRProject::VolumeType), name));
    for (const char* name : {"Top Reservoir", "Base Cretaceous", "Intra Shale"})
        QVERIFY(touch(m_project->directoryForType(ZRProject::HorizonType), name));
    m_tree = std::make_unique<ZRProjectBrowserModel>();
    m_tree->setProject(*m_project);
    m_horizons = m_tree->itemsOfCategory("Horizon");
    m_volumes = m_tree->volumeItems();
    QCOMPARE(m_horizons.size(), 3);
    QCOMPARE(m_volumes.size(), 2);
    for (const char* name : {"North Sea 3D", "Dome Ridge 3D", "Frontier 3D"})
        m_surveys.appendRow(new QStandardItem(name));
}

void TestSurveySupportDialog::cleanupTestCase()
{
    m_tree.reset();
}

std::unique_ptr<ZROpenworksSurveySupportDialog> TestSurveySupportDialog::makeDialog(int items, int mode)
{
    return std::make_unique<ZROpenworksSurveySupportDialog>(mode, m_project.get(), &m_surveys, nullptr,
                                                            m_horizons.mid(0, items));
}

std::unique_ptr<QMimeData> TestSurveySupportDialog::hostItems(const QModelIndexList& items) const
{
    return std::unique_ptr<QMimeData>(m_tree->mimeData(items));
}

void TestSurveySupportDialog::layout()
{
    auto one = makeDialog(1);
    QCOMPARE(one->windowTitle(), QStringLiteral("OpenWorks® Data Exchange"));
    QVERIFY(!one->applyToAllWidget());
    QCOMPARE(one->referenceWidgets().size(), 1);
    QVERIFY(!one->okButton()->isEnabled());
    QCOMPARE(one->okButton()->toolTip(),
             QStringLiteral("Unable to accept: some items do not have an associated survey"));
    QCOMPARE(one->sourceCombo()->count(), 2);
    QCOMPARE(one->sourceCombo()->itemText(0), QStringLiteral("OpenWorks®"));
    QCOMPARE(one->sourceCombo()->itemText(1), QStringLiteral("Velostrat"));
    QCOMPARE(one->searchEdit()->placeholderText(), QStringLiteral("Search..."));
    QVERIFY(one->findChild<QLabel*>()); // the header
    bool header = false;
    for (const QLabel* label : one->findChildren<QLabel*>())
        header = header
            || label->text()
                == "<b>In order to export these items to OpenWorks®, they must be associated with an "
                   "OpenWorks® Survey. Please select a survey that already exists in OpenWorks®, or select "
                   "one from the Velostrat project.<b>";
    QVERIFY(header);

    auto three = makeDialog(3, 1);
    QVERIFY(three->applyToAllWidget());
    QCOMPARE(three->applyToAllWidget()->lineEdit()->placeholderText(),
             QStringLiteral("Drop survey here to apply to all..."));
    QCOMPARE(three->referenceWidgets().size(), 3);
    for (int i = 0; i < 3; ++i) {
        const ZROpenworksSurveyReferenceWidget* reference = three->referenceWidgets()[i];
        QCOMPARE(reference->item(), m_horizons[i]);
        QCOMPARE(reference->label()->text(), m_horizons[i].data(Qt::DisplayRole).toString());
        QCOMPARE(reference->lineEdit()->placeholderText(), QStringLiteral("Drop survey here..."));
        QVERIFY(reference->lineEdit()->isReadOnly());
        QVERIFY(reference->acceptDrops());
        QVERIFY(!reference->hasSurvey());
    }
    QSignalSpy rejected(three.get(), &QDialog::rejected);
    three->cancelButton()->click();
    QCOMPARE(rejected.count(), 1);
}

void TestSurveySupportDialog::hostVolumeDrop()
{
    auto dialog = makeDialog(1);
    ZROpenworksSurveyReferenceWidget* reference = dialog->referenceWidgets()[0];
    QSignalSpy drops(reference, &ZROpenworksSurveyReferenceWidget::newDrop);
    reference->takeDrop(hostItems({m_volumes[1]}).get());
    QCOMPARE(drops.count(), 1);
    QVERIFY(reference->hasSurvey());
    QCOMPARE(reference->origin(), SurveyOrigin::HostVolume);
    // The survey text of a host volume is its full path; the line edit shows its file name.
    const QString path = m_volumes[1].data(ZRProjectBrowserModel::PathRole).toString();
    QCOMPARE(reference->survey(), path);
    QCOMPARE(reference->lineEdit()->text(), QStringLiteral("Volume_B"));
    QVERIFY(dialog->okButton()->isEnabled());
    QCOMPARE(dialog->okButton()->toolTip(), QStringLiteral("Accept"));
    const auto associations = dialog->associations();
    QCOMPARE(associations.size(), 1);
    QCOMPARE(associations.value(m_horizons[0]).first, SurveyOrigin::HostVolume);
    QCOMPARE(associations.value(m_horizons[0]).second, path);
}

void TestSurveySupportDialog::twoHostItemsLeaveNoSurvey()
{
    auto dialog = makeDialog(1);
    ZROpenworksSurveyReferenceWidget* reference = dialog->referenceWidgets()[0];
    reference->takeDrop(openWorksSurvey("North Sea 3D").get());
    QVERIFY(dialog->okButton()->isEnabled());
    QSignalSpy drops(reference, &ZROpenworksSurveyReferenceWidget::newDrop);
    reference->takeDrop(hostItems({m_volumes[0], m_volumes[1]}).get());
    QCOMPARE(drops.count(), 1);
    QVERIFY(!reference->hasSurvey());
    QCOMPARE(reference->lineEdit()->text(), QString());
    QVERIFY(!dialog->okButton()->isEnabled());
    QCOMPARE(dialog->okButton()->toolTip(),
             QStringLiteral("Unable to accept: some items do not have an associated survey"));
    QVERIFY(dialog->associations().isEmpty());
}

void TestSurveySupportDialog::otherHostItemsAreNoSurvey()
{
    // A horizon is no survey, nor is data in neither format.
    auto dialog = makeDialog(1);
    ZROpenworksSurveyReferenceWidget* reference = dialog->referenceWidgets()[0];
    QSignalSpy drops(reference, &ZROpenworksSurveyReferenceWidget::newDrop);
    reference->takeDrop(hostItems({m_horizons[2]}).get());
    QVERIFY(!reference->hasSurvey());
    QMimeData text;
    text.setText("North Sea 3D");
    reference->takeDrop(&text);
    QVERIFY(!reference->hasSurvey());
    reference->takeDrop(openWorksSurvey(QString()).get());
    QVERIFY(!reference->hasSurvey());
    // Host data from elsewhere: a list claiming two billion items, a truncated
    // stream, an item whose path role is not text.
    QByteArray claimed;
    {
        QDataStream stream(&claimed, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_5_15);
        stream << quint32(0x7fffffff) << quint32(1);
    }
    QMimeData huge;
    huge.setData(ZRProjectBrowserModel::MimeType, claimed);
    reference->takeDrop(&huge);
    QVERIFY(!reference->hasSurvey());
    QMimeData truncated;
    truncated.setData(ZRProjectBrowserModel::MimeType,
                      hostItems({m_volumes[0]})->data(ZRProjectBrowserModel::MimeType).left(11));
    reference->takeDrop(&truncated);
    QVERIFY(!reference->hasSurvey());
    QByteArray pathless;
    {
        QDataStream stream(&pathless, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_5_15);
        QMap<int, QVariant> item{{ZRProjectBrowserModel::ItemKindRole, 3}, {ZRProjectBrowserModel::ObjectTypeRole, 1}};
        stream << QList<QMap<int, QVariant>>{item};
    }
    QMimeData noPath;
    noPath.setData(ZRProjectBrowserModel::MimeType, pathless);
    reference->takeDrop(&noPath);
    QVERIFY(!reference->hasSurvey());
    QCOMPARE(drops.count(), 6);
    QVERIFY(!dialog->okButton()->isEnabled());
}

void TestSurveySupportDialog::openWorksSurveyDrop()
{
    auto dialog = makeDialog(1);
    ZROpenworksSurveyReferenceWidget* reference = dialog->referenceWidgets()[0];
    reference->takeDrop(openWorksSurvey("Dome Ridge 3D").get());
    QVERIFY(reference->hasSurvey());
    QCOMPARE(reference->origin(), SurveyOrigin::OpenWorksSurvey);
    QCOMPARE(reference->survey(), QStringLiteral("Dome Ridge 3D"));
    QCOMPARE(reference->lineEdit()->text(), QStringLiteral("Dome Ridge 3D"));
    QCOMPARE(dialog->associations().value(m_horizons[0]),
             ZROpenworksSurveySupportDialog::Association(SurveyOrigin::OpenWorksSurvey, "Dome Ridge 3D"));
}

void TestSurveySupportDialog::dropEvents()
{
    auto dialog = makeDialog(2);
    dialog->show();
    ZROpenworksSurveyReferenceWidget* reference = dialog->referenceWidgets()[1];
    const QPoint inside = reference->rect().center();

    QMimeData plain;
    plain.setText("North Sea 3D");
    QDragEnterEvent refused(inside, Qt::CopyAction | Qt::MoveAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(reference, &refused);
    QVERIFY(!refused.isAccepted());

    const auto survey = openWorksSurvey("Frontier 3D");
    QDragEnterEvent enter(inside, Qt::CopyAction | Qt::MoveAction, survey.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(reference, &enter);
    QVERIFY(enter.isAccepted());
    QSignalSpy drops(reference, &ZROpenworksSurveyReferenceWidget::newDrop);
    QDropEvent drop(inside, Qt::CopyAction | Qt::MoveAction, survey.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(reference, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(drops.count(), 1);
    QCOMPARE(reference->survey(), QStringLiteral("Frontier 3D"));
    // One of two items: not yet.
    QVERIFY(!dialog->okButton()->isEnabled());

    const auto volume = hostItems({m_volumes[0]});
    QSignalSpy global(dialog->applyToAllWidget(), &ZROpenworksApplyToAllWidget::surveyDropped);
    const QPoint centre = dialog->applyToAllWidget()->rect().center();
    QDragEnterEvent entered(centre, Qt::CopyAction, volume.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog->applyToAllWidget(), &entered);
    QVERIFY(entered.isAccepted());
    QDropEvent applied(centre, Qt::CopyAction, volume.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog->applyToAllWidget(), &applied);
    QCOMPARE(global.count(), 1);
    QVERIFY(dialog->okButton()->isEnabled());
}

void TestSurveySupportDialog::applyToAllThenOneReplaced()
{
    auto dialog = makeDialog(3);
    ZROpenworksApplyToAllWidget* all = dialog->applyToAllWidget();
    QSignalSpy global(all, &ZROpenworksApplyToAllWidget::surveyDropped);
    QList<std::shared_ptr<QSignalSpy>> drops;
    for (ZROpenworksSurveyReferenceWidget* reference : dialog->referenceWidgets())
        drops.append(std::make_shared<QSignalSpy>(reference, &ZROpenworksSurveyReferenceWidget::newDrop));

    all->takeDrop(hostItems({m_volumes[0]}).get());
    const QString path = m_volumes[0].data(ZRProjectBrowserModel::PathRole).toString();
    QCOMPARE(global.count(), 1);
    QCOMPARE(global[0][0].toString(), path);
    QCOMPARE(global[0][1].value<SurveyOrigin>(), SurveyOrigin::HostVolume);
    QCOMPARE(all->lineEdit()->text(), QStringLiteral("Volume A"));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(drops[i]->count(), 1);
        const ZROpenworksSurveyReferenceWidget* reference = dialog->referenceWidgets()[i];
        QVERIFY(reference->hasSurvey());
        // The same survey text as a direct drop: the volume's path.
        QCOMPARE(reference->survey(), path);
        QCOMPARE(reference->lineEdit()->text(), QStringLiteral("Volume A"));
    }
    QVERIFY(dialog->okButton()->isEnabled());
    QCOMPARE(dialog->associations().size(), 3);

    // One replaced choice changes that item only.
    dialog->referenceWidgets()[1]->takeDrop(openWorksSurvey("North Sea 3D").get());
    const auto associations = dialog->associations();
    QCOMPARE(associations.size(), 3);
    QCOMPARE(associations.value(m_horizons[0]),
             ZROpenworksSurveySupportDialog::Association(SurveyOrigin::HostVolume, path));
    QCOMPARE(associations.value(m_horizons[1]),
             ZROpenworksSurveySupportDialog::Association(SurveyOrigin::OpenWorksSurvey, "North Sea 3D"));
    QCOMPARE(associations.value(m_horizons[2]),
             ZROpenworksSurveySupportDialog::Association(SurveyOrigin::HostVolume, path));
    QCOMPARE(all->lineEdit()->text(), QStringLiteral("Volume A"));
    QVERIFY(dialog->okButton()->isEnabled());
}

void TestSurveySupportDialog::applyToAllWithNothingUsable()
{
    auto dialog = makeDialog(2);
    dialog->referenceWidgets()[0]->takeDrop(openWorksSurvey("North Sea 3D").get());
    QSignalSpy global(dialog->applyToAllWidget(), &ZROpenworksApplyToAllWidget::surveyDropped);
    QSignalSpy drops(dialog->referenceWidgets()[0], &ZROpenworksSurveyReferenceWidget::newDrop);
    dialog->applyToAllWidget()->takeDrop(hostItems({m_volumes[0], m_volumes[1]}).get());
    QCOMPARE(global.count(), 1);
    QCOMPARE(global[0][1].value<SurveyOrigin>(), SurveyOrigin::None);
    QCOMPARE(drops.count(), 0);
    QCOMPARE(dialog->referenceWidgets()[0]->survey(), QStringLiteral("North Sea 3D"));
    QVERIFY(!dialog->referenceWidgets()[1]->hasSurvey());
    QVERIFY(!dialog->okButton()->isEnabled());
}

void TestSurveySupportDialog::surveyTable()
{
    auto dialog = makeDialog(1);
    dialog->show();
    QSortFilterProxyModel* proxy = dialog->surveyProxy();
    QCOMPARE(proxy->rowCount(), 3);
    QVERIFY(dialog->surveyTable()->dragEnabled());
    QCOMPARE(dialog->surveyTable()->dragDropMode(), QAbstractItemView::DragOnly);
    QCOMPARE(dialog->surveyTable()->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!dialog->noSurveysLabel()->isVisible());
    // A dragged row carries the format the reference widgets take.
    int dome = 0;
    while (dome < proxy->rowCount() && proxy->index(dome, 0).data().toString() != "Dome Ridge 3D")
        ++dome;
    std::unique_ptr<QMimeData> data(proxy->mimeData({proxy->index(dome, 0)}));
    QVERIFY(data);
    QVERIFY(data->hasFormat(ZROpenworksTableView::MimeType));
    QCOMPARE(data->text(), QStringLiteral("Dome Ridge 3D"));
    dialog->referenceWidgets()[0]->takeDrop(data.get());
    QCOMPARE(dialog->referenceWidgets()[0]->survey(), QStringLiteral("Dome Ridge 3D"));
    // The search filters without regard to case.
    dialog->searchEdit()->setText("dome");
    QCOMPARE(proxy->rowCount(), 1);
    QCOMPARE(proxy->index(0, 0).data().toString(), QStringLiteral("Dome Ridge 3D"));
    dialog->searchEdit()->setText("nothing like it");
    QCOMPARE(proxy->rowCount(), 0);
    QVERIFY(dialog->noSurveysLabel()->isVisible());

    QStandardItemModel none;
    ZROpenworksSurveySupportDialog empty(0, m_project.get(), &none, nullptr, m_horizons.mid(0, 1));
    empty.show();
    QVERIFY(empty.noSurveysLabel()->isVisible());
    QCOMPARE(empty.noSurveysLabel()->text(), QStringLiteral("No surveys available."));
}

void TestSurveySupportDialog::volumesOnlyHostTree()
{
    auto dialog = makeDialog(1);
    QCOMPARE(dialog->sourcePages()->currentIndex(), 0);
    dialog->sourceCombo()->setCurrentIndex(1);
    QCOMPARE(dialog->sourcePages()->currentIndex(), 1);
    QVERIFY(dialog->hostTreeWidget());
    ZRProjectBrowserModel* volumes = dialog->hostVolumesModel();
    QVERIFY(volumes->isVolumesOnly());
    QCOMPARE(volumes->categoryNames(), QStringList{"Volume"});
    QCOMPARE(volumes->volumeItems().size(), 2);
    // Its items drag as host volumes.
    std::unique_ptr<QMimeData> data(volumes->mimeData({volumes->volumeItems()[0]}));
    dialog->referenceWidgets()[0]->takeDrop(data.get());
    QCOMPARE(dialog->referenceWidgets()[0]->origin(), SurveyOrigin::HostVolume);
    QCOMPARE(dialog->referenceWidgets()[0]->survey(), m_volumes[0].data(ZRProjectBrowserModel::PathRole).toString());
}

void TestSurveySupportDialog::windowUiAnswersThroughTheDialog()
{
    ZRDialogExchangeUi ui(nullptr);
    const QModelIndexList items = m_horizons;
    const QString path = m_volumes[1].data(ZRProjectBrowserModel::PathRole).toString();
    DialogAnswerer answerer([&](ZROpenworksSurveySupportDialog* dialog) {
        QVERIFY(!dialog->okButton()->isEnabled());
        dialog->applyToAllWidget()->takeDrop(hostItems({m_volumes[1]}).get());
        dialog->referenceWidgets()[2]->takeDrop(openWorksSurvey("North Sea 3D").get());
        dialog->okButton()->click();
    });
    QList<SurveyAssociation> associations;
    QVERIFY(ui.askSurveyAssociations(0, items, associations));
    QVERIFY(answerer.answered);
    QCOMPARE(associations.size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(associations[i].item, items[i]);
    QCOMPARE(associations[0].origin, SurveyOrigin::HostVolume);
    QCOMPARE(associations[0].survey, path);
    QCOMPARE(associations[1].survey, path);
    QCOMPARE(associations[2].origin, SurveyOrigin::OpenWorksSurvey);
    QCOMPARE(associations[2].survey, QStringLiteral("North Sea 3D"));
}

void TestSurveySupportDialog::windowUiCancelled()
{
    ZRDialogExchangeUi ui(nullptr);
    DialogAnswerer answerer([&](ZROpenworksSurveySupportDialog* dialog) {
        dialog->referenceWidgets()[0]->takeDrop(openWorksSurvey("North Sea 3D").get());
        dialog->cancelButton()->click();
    });
    QList<SurveyAssociation> associations{SurveyAssociation{QModelIndex(), SurveyOrigin::OpenWorksSurvey, "kept"}};
    QVERIFY(!ui.askSurveyAssociations(1, m_horizons.mid(0, 1), associations));
    QVERIFY(answerer.answered);
    QCOMPARE(associations.size(), 1);
    QCOMPARE(associations[0].survey, QStringLiteral("kept"));
}

QTEST_MAIN(TestSurveySupportDialog)
#include "tst_surveysupportdialog.moc"
