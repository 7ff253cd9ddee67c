#pragma once

#include "zrsurveydrop.h"

#include <QFrame>
#include <QPersistentModelIndex>

class QIcon;
class QLabel;
class QLineEdit;
class QMimeData;

/// One host item to export and the survey it is tied to, in the survey
/// association dialog: the item's icon at the left; at the right its file name
/// over a read-only line edit ("Drop survey here...") showing the survey.
/// Takes drops of a host volume or an OpenWorks survey (SurveyDrop), or the
/// apply-to-all choice (globalSurveySelected); emits newDrop() after each.
class ZROpenworksSurveyReferenceWidget : public QFrame
{
    Q_OBJECT
public:
    /// item: the host tree index of the item (its path role names the file).
    ZROpenworksSurveyReferenceWidget(const QModelIndex& item, const QIcon& icon, QWidget* parent = nullptr);

    QModelIndex item() const { return m_item; }
    /// The survey text (see SurveyDrop) and where it comes from.
    QString survey() const { return m_survey; }
    SurveyOrigin origin() const { return m_origin; }
    bool hasSurvey() const { return m_hasSurvey; }

    QLabel* label() const { return m_label; }
    QLineEdit* lineEdit() const { return m_lineEdit; }

    /// Takes a drop: decodes the data (SurveyDrop) and stores and shows the
    /// survey it names; data naming none leaves the item without a survey.
    /// Emits newDrop() in every case.
    void takeDrop(const QMimeData* data);

signals:
    void newDrop();

public slots:
    /// The apply-to-all choice: with an origin other than None the survey is
    /// stored and shown, and newDrop() is emitted.
    void globalSurveySelected(const QString& surveyName, SurveyOrigin origin);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QPersistentModelIndex m_item;
    QString m_survey;
    SurveyOrigin m_origin = SurveyOrigin::None;
    bool m_hasSurvey = false;
    QLabel* m_label;
    QLineEdit* m_lineEdit;
};
