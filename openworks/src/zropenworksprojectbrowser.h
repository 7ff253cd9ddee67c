#pragma once

#include <QHash>
#include <QMap>
#include <QModelIndexList>
#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class ZROpenworksExchangeDialog;
class ZROpenworksSession;
class ZROpenworksFaultModel;
class ZROpenworksHorizonModel;
class ZROpenworksSortFilterProxyModel;
class ZROpenworksSurfacePickModel;
class ZROpenworksSurveyModel;
class ZROpenworksTableModel;
class ZROpenworksTableView;
class ZROpenworksWellModel;

/// The OpenWorks side of the exchange window: opens the chosen project, loads
/// its five catalogue tables in parallel, and lets the user page through the
/// categories, search, sort, select and drag rows. Its category follows the
/// host project tree's, and it tells whether the current category can be
/// exchanged.
///
/// Pages (and category ids): 0 no project, 1 busy, 2 not available, 3 surveys,
/// 4 wells, 5 faults, 6 horizons, 7 surface picks.
class ZROpenworksProjectBrowser : public QWidget
{
    Q_OBJECT
public:
    enum Category
    {
        NoProjectPage = 0,
        BusyPage = 1,
        NotAvailablePage = 2,
        Surveys = 3,
        Wells = 4,
        Faults = 5,
        Horizons = 6,
        SurfacePicks = 7
    };

    /// The parent is the exchange dialog (any other parent is accepted: the
    /// browser then starts on surveys after an open). Projects are opened and
    /// closed through session (the browser makes its own when none is given).
    explicit ZROpenworksProjectBrowser(QWidget* parent, ZROpenworksSession* session = nullptr);
    ~ZROpenworksProjectBrowser() override;

    /// Closes any open project and opens projectName (see openSucceeded / openFailed).
    void openOpenworksProject(const QString& projectName);

    void setCategoryById(int id);
    int currentCategory() const { return m_currentCategory; }
    bool isProjectOpen() const { return m_projectOpen; }
    bool isOpening() const { return m_opening; }

    ZROpenworksSurveyModel* surveyModel() const { return m_surveyModel; }
    ZROpenworksWellModel* wellModel() const { return m_wellModel; }
    ZROpenworksHorizonModel* horizonModel() const { return m_horizonModel; }
    ZROpenworksFaultModel* faultModel() const { return m_faultModel; }
    ZROpenworksSurfacePickModel* surfacePickModel() const { return m_surfacePickModel; }
    ZROpenworksSortFilterProxyModel* proxy() const { return m_proxy; }
    /// The table of a category page (3 to 7), else null.
    ZROpenworksTableView* tableView(int category) const { return m_views.value(category); }

    /// The selected proxy indexes of the current page's table.
    QModelIndexList selectedIndexes() const;
    /// Refreshes pages 3 to 7 (overlay and hidden columns).
    void refreshPages();

    QPushButton* categoryButton() const { return m_categoryButton; }
    QMenu* categoryMenu() const { return m_categoryMenu; }
    QLineEdit* searchField() const { return m_searchField; }
    QStackedWidget* pages() const { return m_pages; }
    QLabel* statusLabel() const { return m_statusLabel; }


signals:
    void currentCategoryChanged(const QString& hostCategoryName);
    void exchangeAvailable(bool available);
    void openSucceeded();
    void openFailed(const QString& text);

public slots:
    void setCurrentCategory(const QString& hostCategoryName);
    void onOpenSucceeded();
    void onOpenFailed(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addCategory(int id, const QString& text, const QString& iconName, const QString& hostName);
    ZROpenworksTableView* createPage(int id, ZROpenworksTableModel* model, const QString& emptyText);
    void refreshPage(ZROpenworksTableView* view);
    void showCategoryOnButton(int id);
    ZROpenworksTableModel* modelOfPage(int page) const;

    ZROpenworksExchangeDialog* m_dialog;
    std::unique_ptr<ZROpenworksSession> m_ownSession;
    ZROpenworksSession* m_session;
    QMap<QString, int> m_categoryOfText;
    QHash<int, QAction*> m_actionOfCategory;
    QMap<QString, int> m_categoryOfHostName;
    QHash<int, QString> m_hostNameOfCategory;
    bool m_projectOpen = false;
    bool m_opening = false;

    QLabel* m_statusLabel = nullptr;
    QProgressBar* m_busyBar = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QStackedWidget* m_pages = nullptr;
    QLineEdit* m_searchField = nullptr;
    QPushButton* m_categoryButton = nullptr;
    QMenu* m_categoryMenu = nullptr;
    ZROpenworksSortFilterProxyModel* m_proxy = nullptr;
    ZROpenworksSurveyModel* m_surveyModel = nullptr;
    ZROpenworksWellModel* m_wellModel = nullptr;
    ZROpenworksHorizonModel* m_horizonModel = nullptr;
    ZROpenworksFaultModel* m_faultModel = nullptr;
    ZROpenworksSurfacePickModel* m_surfacePickModel = nullptr;
    QHash<int, ZROpenworksTableView*> m_views;
    int m_currentCategory = 0;
};
