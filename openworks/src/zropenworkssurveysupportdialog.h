#pragma once

#include "zrsurveydrop.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QModelIndexList>
#include <QPair>

#include <memory>

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QTableView;
class ZROpenworksApplyToAllWidget;
class ZROpenworksSurveyReferenceWidget;
class ZRProject;
class ZRProjectBrowserModel;

/// "OpenWorks® Data Exchange": asks which survey each host item to export
/// (horizons, mode 0; faults, mode 1) goes into. At the left one reference
/// widget per item (and, for two items or more, an "Apply to All" target); at
/// the right the sources to drag from: the OpenWorks surveys (a searchable
/// table) or the host project's volumes (the host tree restricted to volumes).
/// "OK" is enabled once every item has a survey; the result is the
/// association map, one (origin, survey text) per item (see SurveyDrop for
/// the survey text).
class ZROpenworksSurveySupportDialog : public QDialog
{
    Q_OBJECT
public:
    using Association = QPair<SurveyOrigin, QString>;

    /// project: the host project whose volumes page 1 lists, through
    /// hostVolumesModel when given (not owned; it should list volumes only),
    /// else through a volumes-only host tree the dialog makes. The OpenWorks
    /// survey model (not owned, may be null) feeds page 0. items: host tree
    /// indexes of the items to associate, in order.
    ZROpenworksSurveySupportDialog(int mode, const ZRProject* project, QAbstractItemModel* openWorksSurveyModel,
                                   ZRProjectBrowserModel* hostVolumesModel, const QModelIndexList& items,
                                   QWidget* parent = nullptr);
    ~ZROpenworksSurveySupportDialog() override;

    /// The association of every item that has one, by item index.
    QMap<QModelIndex, Association> associations() const { return m_associations; }

    // Parts, for the tests.
    const QList<ZROpenworksSurveyReferenceWidget*>& referenceWidgets() const { return m_references; }
    ZROpenworksApplyToAllWidget* applyToAllWidget() const { return m_applyToAll; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QComboBox* sourceCombo() const { return m_sourceCombo; }
    QStackedWidget* sourcePages() const { return m_sourcePages; }
    QLineEdit* searchEdit() const { return m_searchEdit; }
    QTableView* surveyTable() const { return m_surveyTable; }
    QLabel* noSurveysLabel() const { return m_noSurveysLabel; }
    QSortFilterProxyModel* surveyProxy() const { return m_surveyProxy; }
    ZRProjectBrowserModel* hostVolumesModel() const { return m_hostVolumes; }
    QWidget* hostTreeWidget() const { return m_hostTreeWidget; }

private slots:
    void onNewDrop();

private:
    QWidget* buildSurveyPage(QAbstractItemModel* openWorksSurveyModel);
    QWidget* buildVolumePage(const ZRProject* project, ZRProjectBrowserModel* hostVolumesModel);
    void updateNoSurveysLabel();

    QList<ZROpenworksSurveyReferenceWidget*> m_references;
    QMap<QModelIndex, Association> m_associations;
    ZROpenworksApplyToAllWidget* m_applyToAll = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QComboBox* m_sourceCombo = nullptr;
    QStackedWidget* m_sourcePages = nullptr;
    QLineEdit* m_searchEdit = nullptr;
    QTableView* m_surveyTable = nullptr;
    QLabel* m_noSurveysLabel = nullptr;
    QSortFilterProxyModel* m_surveyProxy = nullptr;
    std::unique_ptr<ZRProjectBrowserModel> m_ownHostVolumes;
    ZRProjectBrowserModel* m_hostVolumes = nullptr;
    QWidget* m_hostTreeWidget = nullptr;
};
