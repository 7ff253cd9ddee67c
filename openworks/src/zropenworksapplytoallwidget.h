#pragma once

#include "zrsurveydrop.h"

#include <QFrame>

class QLineEdit;
class QMimeData;

/// The "Apply to All" target of the survey association dialog (shown when two
/// items or more are associated): a drop of a host volume or an OpenWorks
/// survey is shown and handed to every reference widget through
/// surveyDropped().
class ZROpenworksApplyToAllWidget : public QFrame
{
    Q_OBJECT
public:
    explicit ZROpenworksApplyToAllWidget(QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return m_lineEdit; }

    /// Takes a drop: shows the survey (the file name of a host volume, the
    /// name of an OpenWorks survey) and emits surveyDropped() with the survey
    /// text (see SurveyDrop) and its origin; None when the data names none.
    void takeDrop(const QMimeData* data);

signals:
    void surveyDropped(const QString& surveyName, SurveyOrigin origin);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QLineEdit* m_lineEdit;
};
