#pragma once

#include <QDialog>
#include <QMap>
#include <QModelIndexList>
#include <QStringList>

#include "zrexchangecontext.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QToolButton;
class ZRExchangeUi;
class ZRLogDatabase;
class ZROpenworksSession;
class ZRTransferReport;
class ZROpenworksProjectBrowser;
class ZRProject;
class ZRProjectBrowserModel;

/// The data link's window, "OpenWorks® Data Link": OpenWorks district, project
/// and catalogue on the left, the host project tree on the right, the import
/// and export arrows between them. It owns the DevKit session (ended with
/// gdiClose when the window goes), the host project tree, a second well database
/// after a host project switch, and the unit table; the host project and the
/// start-up well database belong to the caller.
class ZROpenworksExchangeDialog : public QDialog
{
    Q_OBJECT
public:
    /// Main-page index of the stacked widget, after the failure page.
    enum Page
    {
        FailurePage = 0,
        MainPage = 1
    };

    ZROpenworksExchangeDialog(const QString& projectListPath, ZRProject* project, ZRLogDatabase* wellDatabase,
                              QWidget* parent = nullptr);
    ~ZROpenworksExchangeDialog() override;

    // What the exchange operations share.
    ZRProject* project() const { return m_project; }
    ZRLogDatabase* wellDatabase() const { return m_currentWellDatabase; }
    ZROpenworksProjectBrowser* projectBrowser() const { return m_browser; }
    ZRProjectBrowserModel* hostTree() const { return m_hostTree.get(); }
    QModelIndexList hostSelection() const;
    /// Host unit code -> OpenWorks unit abbreviation.
    const QMap<int, QString>& unitTable() const { return m_unitTable; }
    /// The current category name of the host project tree.
    QString hostCategoryName() const;
    /// How the exchange operations ask and tell the user.
    ZRExchangeUi& ui() const { return *m_ui; }
    /// The context the exchange operations run in: this window's project, well
    /// database, OpenWorks session, user interface, unit table, catalogue and
    /// host tree (no report).
    ZRExchangeContext exchangeContext();
    /// The DevKit session this window started (and ends when it goes).
    ZROpenworksSession* session() const { return m_session.get(); }
    /// Where each exchange's run report is written (the log folder); empty:
    /// no reports.
    void setReportFolder(const QString& folder) { m_reportFolder = folder; }
    QString reportFolder() const { return m_reportFolder; }
    /// Writes a finished run report into the report folder as
    /// "Velostrat-OpenWorks-<exchange>-<yyyyMMdd-HHmmss-zzz>.json"; returns
    /// its path (empty when there is no folder or the write failed, which is
    /// sent on the event bus).
    QString writeReport(const ZRTransferReport& report);
    /// Replaces the way of talking to the user (tests, headless runs).
    void setUi(std::unique_ptr<ZRExchangeUi> ui);

    const QStringList& hostProjectPaths() const { return m_hostProjectPaths; }

    // Parts of the window, for the tests and the exchange operations.
    QStackedWidget* pages() const { return m_pages; }
    QLabel* failureTitle() const { return m_failureTitle; }
    QLabel* failureText() const { return m_failureText; }
    QPushButton* retryButton() const { return m_retryButton; }
    QPushButton* closeButton() const { return m_closeButton; }
    QCheckBox* loggingCheckBox() const { return m_loggingCheckBox; }
    QComboBox* districtCombo() const { return m_districtCombo; }
    QComboBox* projectCombo() const { return m_projectCombo; }
    QComboBox* hostProjectCombo() const { return m_hostProjectCombo; }
    QToolButton* districtRefreshButton() const { return m_districtRefreshButton; }
    QToolButton* projectRefreshButton() const { return m_projectRefreshButton; }
    QPushButton* importButton() const { return m_importButton; }
    QPushButton* exportButton() const { return m_exportButton; }
    QPushButton* addProjectsButton() const { return m_addProjectsButton; }
    QWidget* hostTreeWidget() const { return m_hostTreeWidget; }

    /// Starts the DevKit (owinit, gdiInit); on failure fills the failure page and
    /// shows the retry button.
    bool initializeOpenworks();
    void refreshDistricts();
    void refreshProjects();
    void showNoProjects();
    static void disableQComboBoxIndex(QComboBox* comboBox, int index);

    /// The OpenWorks message handlers (owmessages): the quiet one forwards
    /// errors (codes above 200000000) to the event bus, the verbose one every
    /// message.
    static void quietMessageHandler(int* code, const char* text);
    static void verboseMessageHandler(int* code, const char* text);

public slots:
    void setDistrict(const QString& newDistrict);
    void openProject(const QString& projectName);
    void openThreadFailed(const QString& errorMessage);
    void openThreadSucceeded();
    void newVelostratProjectSelected(const QString& newVelostratProject);
    void importRequested();
    void exportRequested();

private slots:
    void toggleLogging(bool enabled);
    void retryConnection();
    void addProjectsFromDirectory();

private:
    void buildWindow();
    QWidget* buildOpenWorksPane();
    QWidget* buildMiddlePane();
    QWidget* buildHostPane(int displayMode);
    void prepareHostTree(ZRProject& project);
    void buildUnitTable();
    void setSessionControlsEnabled(bool enabled);

    QString m_projectListPath;
    std::unique_ptr<ZROpenworksSession> m_session;
    QString m_reportFolder;
    ZRProject* m_project;
    ZROpenworksProjectBrowser* m_browser = nullptr;
    ZRLogDatabase* m_currentWellDatabase;
    ZRLogDatabase* m_startupWellDatabase;
    std::unique_ptr<ZRProjectBrowserModel> m_hostTree;
    QMap<int, QString> m_unitTable;
    std::unique_ptr<ZRExchangeUi> m_ui;
    QStringList m_hostProjectPaths;

    QPushButton* m_closeButton = nullptr;
    QCheckBox* m_loggingCheckBox = nullptr;
    /// The check box's own text colour (its palette follows the style sheet once set).
    QString m_loggingTextColor;
    QStackedWidget* m_pages = nullptr;
    QLabel* m_failureTitle = nullptr;
    QLabel* m_failureText = nullptr;
    QPushButton* m_retryButton = nullptr;
    QPushButton* m_importButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QWidget* m_mainPage = nullptr;
    QSplitter* m_splitter = nullptr;
    QToolButton* m_districtRefreshButton = nullptr;
    QToolButton* m_projectRefreshButton = nullptr;
    QComboBox* m_districtCombo = nullptr;
    QComboBox* m_projectCombo = nullptr;
    QComboBox* m_hostProjectCombo = nullptr;
    QPushButton* m_addProjectsButton = nullptr;
    QWidget* m_hostTreeWidget = nullptr;
};
