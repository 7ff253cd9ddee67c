// The well list association dialog driven through its widgets on the seeded
// demo: the well list table (read back against the DevKit), drops on the
// wells and on "Apply to All" (as data and as drop events), "OK" following
// the assignments, the creation form over the table with a scripted
// interpreter choice, and its failures. Also the window's user interface
// asking through the real dialog.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "owwelllists.h"
#include "wellexportchecks.h"
#include "zrcreatewelllistwidget.h"
#include "zrdialogexchangeui.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zropenworkstableview.h"
#include "zropenworkswelllistapplytoallwidget.h"
#include "zropenworkswelllistreferencewidget.h"
#include "zropenworkswelllistsupportdialog.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrwelllisttablemodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace
{

std::unique_ptr<QMimeData> listDrop(const QString& name)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(ZROpenworksTableView::MimeType, QByteArray());
    data->setText(name);
    return data;
}

std::unique_ptr<QMimeData> textDrop(const QString& text)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    return data;
}

/// Records and answers the message boxes that open while it lives.
class BoxAnswerer : public QObject
{
public:
    BoxAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.append(box->windowTitle() + "|" + box->text() + "|"
                             + (box->parentWidget() ? box->parentWidget()->metaObject()->className() : ""));
                box->accept();
            }
        });
        m_timer.start(10);
    }
    QStringList boxes;

private:
    QTimer m_timer;
};

/// Drops data onto a widget through real drag and drop events.
bool dropOnto(QWidget* widget, const QMimeData* data)
{
    const QPoint centre = widget->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(centre, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

} // namespace

class TestWellListDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void layoutAndTable();
    void modelOfTheTable();
    void dropsOnWells();
    void applyToAll();
    void singleWellHasNoApplyToAll();
    void initialAssociations();
    void createAListForAllNewWells();
    void createAListFails();
    void interpretersCannotBeRead();
    void noWellLists();
    void windowAsksThroughTheDialog();

private:
    std::unique_ptr<ZROpenworksWellListSupportDialog> makeDialog(const QMap<int, QString>& initial = {},
                                                                 int wells = 3);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    std::unique_ptr<ZRProject> m_project;
    std::unique_ptr<ZRLogDatabase> m_database;
    QVector<int> m_wellIds;
};

void TestWellListDialog::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_session = std::make_unique<ZROpenworksSession>();
    QVERIFY(m_session->start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QString error;
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &error), qPrintable(error));
    m_project = std::make_unique<ZRProject>(m_fixture->makeHostProject(QStringLiteral("Dialog")));
    m_database = std::make_unique<ZRLogDatabase>();
    QVERIFY(m_database->load(m_project->wellDatabasePath(), "dialog", "Dialog", true));
    for (const char* name : {"Able", "Baker", "Charlie"})
        m_wellIds.append(m_database->CreateWell(QString::fromLatin1(name))->id());
    QVERIFY(m_database->save());
}

void TestWellListDialog::init()
{
    owsim::clearInjections();
}

void TestWellListDialog::cleanup()
{
    owsim::clearInjections();
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

void TestWellListDialog::cleanupTestCase()
{
    m_database.reset();
    m_session.reset();
}

std::unique_ptr<ZROpenworksWellListSupportDialog> TestWellListDialog::makeDialog(const QMap<int, QString>& initial,
                                                                                 int wells)
{
    // An unknown id and 0 get no widget.
    QVector<int> ids = m_wellIds.mid(0, wells);
    ids.insert(1, 0);
    ids.append(9999);
    auto dialog = std::make_unique<ZROpenworksWellListSupportDialog>(m_database.get(), ids, initial);
    dialog->show();
    return dialog;
}

void TestWellListDialog::layoutAndTable()
{
    auto dialog = makeDialog();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("OpenWorks® Data Exchange"));
    QCOMPARE(dialog->minimumSize(), QSize(500, 400));
    QVERIFY(dialog->headerLabel()->text().startsWith(
        "<b>In order to export these items to OpenWorks®, they must be associated with a Well List. Please select"));
    QCOMPARE(dialog->referenceWidgets().size(), 3);
    QCOMPARE(dialog->referenceWidgets()[1]->nameLabel()->text(), QStringLiteral("Baker"));
    QVERIFY(dialog->applyToAllWidget()->isVisible());
    QVERIFY(!dialog->okButton()->isEnabled());
    QCOMPARE(dialog->createButton()->text(), QStringLiteral("Create new Well List"));
    QCOMPARE(dialog->searchEdit()->placeholderText(), QStringLiteral("Search..."));

    // The table holds every well list of the project with its well count.
    QVector<gdiWellList_t> lists;
    QCOMPARE(owwelllists::readWellLists(&lists), 0);
    const ZRWellListTableModel* model = dialog->wellListModel();
    QCOMPARE(model->rowCount(), lists.size());
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Well List"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Interpreter"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Well Count"));
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString name = model->index(row, 0).data().toString();
        QCOMPARE(model->index(row, 2).data().toInt(), wellKeysOfList(name).size());
        QVERIFY(wellKeysOfList(name).size() > 0);
    }
    QVERIFY(!dialog->tableView()->overlay()->isVisible());
    QCOMPARE(dialog->tableView()->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(dialog->tableView()->dragDropMode(), QAbstractItemView::DragOnly);
    QCOMPARE(dialog->tableView()->editTriggers(), QAbstractItemView::NoEditTriggers);
    // A row is dragged by its list name.
    for (int row = 0; row < dialog->proxy()->rowCount(); ++row)
        QCOMPARE(dialog->tableView()->dragLabel(row), dialog->proxy()->index(row, 0).data().toString());

    // The search filters the lists, case-insensitively.
    dialog->searchEdit()->setText(QStringLiteral("FIELD"));
    QCOMPARE(dialog->proxy()->rowCount(), 1);
    QCOMPARE(dialog->proxy()->index(0, 0).data().toString(), QStringLiteral("Field Tests"));
    dialog->searchEdit()->setText(QStringLiteral("nothing like it"));
    QCOMPARE(dialog->proxy()->rowCount(), 0);
    QVERIFY(dialog->tableView()->overlay()->isVisible());
    QCOMPARE(dialog->tableView()->overlay()->text(), QStringLiteral("No Well Lists available."));
}

void TestWellListDialog::modelOfTheTable()
{
    ZRWellListTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.populate(-1);
    QVERIFY(model.rowCount() >= 4);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.index(0, 0).data(Qt::EditRole), QVariant());
    QCOMPARE(model.index(0, 3).data(), QVariant());
    const int rows = model.rowCount();
    model.appendWellList(QStringLiteral("Appended"), QStringLiteral("JDOE"), 0);
    QCOMPARE(model.rowCount(), rows + 1);
    QCOMPARE(model.rowOfList(QStringLiteral("Appended")), rows);
    QCOMPARE(model.index(rows, 2).data().toInt(), 0);
}

void TestWellListDialog::dropsOnWells()
{
    auto dialog = makeDialog();
    const auto& references = dialog->referenceWidgets();
    QSignalSpy spy(references[0], &ZROpenworksWellListReferenceWidget::newDrop);
    // A drop of a table row assigns the well.
    auto exploration = listDrop(QStringLiteral("Exploration"));
    QVERIFY(dropOnto(references[0], exploration.get()));
    QCOMPARE(spy.count(), 1);
    QVERIFY(references[0]->isAssigned());
    QCOMPARE(references[0]->lineEdit()->text(), QStringLiteral("Exploration"));
    QCOMPARE(dialog->associations(), (QMap<int, QString>{{m_wellIds[0], QStringLiteral("Exploration")}}));
    QVERIFY(!dialog->okButton()->isEnabled());
    // Plain text is refused by the drag, and a drop of it clears the well.
    auto text = textDrop(QStringLiteral("Appraisal"));
    QVERIFY(!dropOnto(references[0], text.get()));
    references[0]->takeDrop(text.get());
    QVERIFY(!references[0]->isAssigned());
    QVERIFY(dialog->associations().isEmpty());
    // Every well assigned: OK; one cleared again: no OK.
    for (int i = 0; i < 3; ++i)
        QVERIFY(dropOnto(references[i], listDrop(i == 1 ? "Appraisal" : "Development").get()));
    QVERIFY(dialog->okButton()->isEnabled());
    references[2]->takeDrop(text.get());
    QVERIFY(!dialog->okButton()->isEnabled());
    QVERIFY(dropOnto(references[2], listDrop("Field Tests").get()));
    QVERIFY(dialog->okButton()->isEnabled());
    QCOMPARE(dialog->associations(),
             (QMap<int, QString>{{m_wellIds[0], "Development"}, {m_wellIds[1], "Appraisal"}, {m_wellIds[2], "Field Tests"}}));
    QSignalSpy accepted(dialog.get(), &QDialog::accepted);
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
}

void TestWellListDialog::applyToAll()
{
    auto dialog = makeDialog();
    ZROpenworksWellListApplyToAllWidget* all = dialog->applyToAllWidget();
    QVERIFY(!dropOnto(all, textDrop("Appraisal").get()));
    all->takeDrop(textDrop("Appraisal").get());
    QVERIFY(all->lineEdit()->text().isEmpty());
    QVERIFY(!dialog->okButton()->isEnabled());
    QVERIFY(dropOnto(all, listDrop("Appraisal").get()));
    QCOMPARE(all->lineEdit()->text(), QStringLiteral("Appraisal"));
    QVERIFY(dialog->okButton()->isEnabled());
    for (const ZROpenworksWellListReferenceWidget* reference : dialog->referenceWidgets())
        QCOMPARE(reference->lineEdit()->text(), QStringLiteral("Appraisal"));
    QCOMPARE(dialog->associations().size(), 3);
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
}

void TestWellListDialog::singleWellHasNoApplyToAll()
{
    auto dialog = makeDialog({}, 1);
    QCOMPARE(dialog->referenceWidgets().size(), 1);
    QVERIFY(!dialog->applyToAllWidget()->isVisible());
}

void TestWellListDialog::initialAssociations()
{
    auto some = makeDialog({{m_wellIds[1], QStringLiteral("Exploration")}});
    QVERIFY(some->referenceWidgets()[1]->isAssigned());
    QCOMPARE(some->referenceWidgets()[1]->lineEdit()->text(), QStringLiteral("Exploration"));
    QVERIFY(!some->okButton()->isEnabled());
    auto every = makeDialog({{m_wellIds[0], "A"}, {m_wellIds[1], "B"}, {m_wellIds[2], "C"}});
    QVERIFY(every->okButton()->isEnabled());
    QCOMPARE(every->associations().value(m_wellIds[2]), QStringLiteral("C"));
}

void TestWellListDialog::createAListForAllNewWells()
{
    auto dialog = makeDialog();
    const int rows = dialog->wellListModel()->rowCount();
    QTest::mouseClick(dialog->createButton(), Qt::LeftButton);
    ZRCreateWellListWidget* form = dialog->createForm();
    QVERIFY(form);
    QVERIFY(form->isFormBuilt());
    QVERIFY(!dialog->createButton()->isEnabled());
    QCOMPARE(dialog->tableView()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(form->coveredWidget(), static_cast<QWidget*>(dialog->tableView()));
    QCOMPARE(form->animationDuration(), 300);
    QCOMPARE(form->alphaValue(), 170);
    QVERIFY(form->animation());
    QTRY_COMPARE(form->geometry(), dialog->tableView()->rect());
    QCOMPARE(form->titleLabel()->text(), QStringLiteral("Create Well List"));
    QVERIFY(form->titleLabel()->font().bold());
    QCOMPARE(form->closeButton()->styleSheet(), QStringLiteral("border: none; color: white"));
    QCOMPARE(form->closeButton()->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(form->nameEdit()->placeholderText(), QStringLiteral("Enter new Well List name..."));

    // The interpreters, as the DevKit lists them, after the prompt that cannot be chosen.
    QStringList interpreters;
    QCOMPARE(owwelllists::activeProjectInterpreters(&interpreters), 0);
    QVERIFY(!interpreters.isEmpty());
    QComboBox* combo = form->interpreterCombo();
    QCOMPARE(combo->count(), interpreters.size() + 1);
    QCOMPARE(combo->itemText(0), QStringLiteral("-- Select Interpreter --"));
    const auto* items = qobject_cast<QStandardItemModel*>(combo->model());
    QVERIFY(!(items->item(0)->flags() & Qt::ItemIsSelectable));
    for (int i = 0; i < interpreters.size(); ++i)
        QCOMPARE(combo->itemText(i + 1), interpreters[i]);

    // Create needs a name and an interpreter.
    QVERIFY(!form->createButton()->isEnabled());
    QTest::keyClicks(form->nameEdit(), QStringLiteral("Dialog Made"));
    QVERIFY(!form->createButton()->isEnabled());
    combo->setCurrentIndex(combo->count() - 1);
    QVERIFY(form->createButton()->isEnabled());
    form->nameEdit()->clear();
    QVERIFY(!form->createButton()->isEnabled());
    QTest::keyClicks(form->nameEdit(), QStringLiteral("Dialog Made"));
    form->assignToAllCheckBox()->setChecked(true);
    QSignalSpy created(form, &ZRCreateWellListWidget::wellListCreated);
    QTest::mouseClick(form->createButton(), Qt::LeftButton);
    QCOMPARE(created.count(), 1);

    // The list is committed in OpenWorks with its interpreter.
    QVector<gdiWellList_t> lists;
    QCOMPARE(owwelllists::readWellLists(&lists), 0);
    const gdiWellList_t* record = owwelllists::findWellList(lists, QStringLiteral("Dialog Made"));
    QVERIFY(record);
    QCOMPARE(QString::fromLatin1(record->interpreter), interpreters.last());
    QCOMPARE(QString::fromLatin1(record->listType), QStringLiteral("WELL_LIST"));
    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(owwelllists::readWellLists(&lists), 0);
    QVERIFY(owwelllists::findWellList(lists, QStringLiteral("Dialog Made")));

    // The table shows it with no wells, every well joins it, and the form is gone.
    ZRWellListTableModel* model = dialog->wellListModel();
    QCOMPARE(model->rowCount(), rows + 1);
    const int row = model->rowOfList(QStringLiteral("Dialog Made"));
    QCOMPARE(model->index(row, 1).data().toString(), interpreters.last());
    QCOMPARE(model->index(row, 2).data().toInt(), 0);
    for (const ZROpenworksWellListReferenceWidget* reference : dialog->referenceWidgets())
        QCOMPARE(reference->wellList(), QStringLiteral("Dialog Made"));
    QVERIFY(dialog->okButton()->isEnabled());
    QTRY_VERIFY(!dialog->createForm());
    QVERIFY(dialog->createButton()->isEnabled());
    QCOMPARE(dialog->tableView()->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

    // The close button closes a form without creating anything.
    QTest::mouseClick(dialog->createButton(), Qt::LeftButton);
    QVERIFY(dialog->createForm());
    const int listsBefore = recordCount(GDI_CLASS_WELL_LIST);
    dialog->createForm()->closeButton()->click();
    QTRY_VERIFY(!dialog->createForm());
    QCOMPARE(recordCount(GDI_CLASS_WELL_LIST), listsBefore);
    QVERIFY(dialog->createButton()->isEnabled());
}

void TestWellListDialog::createAListFails()
{
    auto dialog = makeDialog();
    QTest::mouseClick(dialog->createButton(), Qt::LeftButton);
    ZRCreateWellListWidget* form = dialog->createForm();
    QVERIFY(form && form->isFormBuilt());
    const int rows = dialog->wellListModel()->rowCount();
    form->nameEdit()->setText(QStringLiteral("Exploration"));
    form->interpreterCombo()->setCurrentIndex(1);
    {
        BoxAnswerer answerer;
        QSignalSpy created(form, &ZRCreateWellListWidget::wellListCreated);
        QTest::mouseClick(form->createButton(), Qt::LeftButton);
        QCOMPARE(created.count(), 0);
        QCOMPARE(answerer.boxes,
                 QStringList{QStringLiteral("Well List Creation Error|%1|ZRCreateWellListWidget")
                                 .arg(QString::fromLatin1(gdiErrorMessage(GDI_DUPLICATE)))});
    }
    // The form stays; the table and the wells are as they were.
    QVERIFY(dialog->createForm());
    QCOMPARE(dialog->wellListModel()->rowCount(), rows);
    QCOMPARE(countOfListsNamed(QStringLiteral("Exploration")), 1);
    // A failing commit leaves no list behind.
    form->nameEdit()->setText(QStringLiteral("Never Committed"));
    owsim::injectStatus("gdiCommit", 1, GDI_COMMIT_FAILED);
    {
        BoxAnswerer answerer;
        QTest::mouseClick(form->createButton(), Qt::LeftButton);
        QCOMPARE(answerer.boxes.size(), 1);
        QVERIFY(answerer.boxes.first().startsWith("Well List Creation Error|"));
    }
    owsim::clearInjections();
    QCOMPARE(countOfListsNamed(QStringLiteral("Never Committed")), 0);
    QVERIFY(dialog->createForm());
}

void TestWellListDialog::interpretersCannotBeRead()
{
    auto dialog = makeDialog();
    owsim::injectStatus("prjGetIntrps", 1, PRJ_NO_ACTIVE_PROJECT);
    BoxAnswerer answerer;
    QTest::mouseClick(dialog->createButton(), Qt::LeftButton);
    QCOMPARE(answerer.boxes,
             QStringList{"Error|Unable to query list of interpreters from OpenWorks® database|ZROpenworksTableView"});
    QVERIFY(dialog->createForm());
    QVERIFY(!dialog->createForm()->isFormBuilt());
    dialog->createForm()->closeButton()->click();
    QTRY_VERIFY(!dialog->createForm());
}

void TestWellListDialog::noWellLists()
{
    std::string error;
    QVERIFY2(owsim::createProject(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                                  "NOLISTS", owsim::MeasurementSystem::Metric, &error),
             error.c_str());
    QString openError;
    QVERIFY2(m_session->openProject(QStringLiteral("NOLISTS"), &openError), qPrintable(openError));
    {
        auto dialog = makeDialog();
        QCOMPARE(dialog->wellListModel()->rowCount(), 0);
        QVERIFY(dialog->tableView()->overlay()->isVisible());
        QCOMPARE(dialog->tableView()->overlay()->text(), QStringLiteral("No well lists found."));
    }
    {
        owsim::injectStatus("gdiReadSet", 1, GDI_DATABASE_ERROR);
        auto dialog = makeDialog();
        QCOMPARE(dialog->tableView()->overlay()->text(), QString::fromLatin1(gdiErrorMessage(GDI_DATABASE_ERROR)));
    }
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &openError), qPrintable(openError));
}

void TestWellListDialog::windowAsksThroughTheDialog()
{
    ZRDialogExchangeUi ui(nullptr);
    bool shown = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<ZROpenworksWellListSupportDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        shown = true;
        // Without the exchange window, no well is known: nothing to associate.
        QCOMPARE(dialog->referenceWidgets().size(), 0);
        dialog->reject();
    });
    poll.start(10);
    QMap<int, QString> associations;
    QVERIFY(!ui.askWellListAssociations(m_wellIds, associations));
    QVERIFY(shown);
}

QTEST_MAIN(TestWellListDialog)
#include "tst_welllistdialog.moc"
