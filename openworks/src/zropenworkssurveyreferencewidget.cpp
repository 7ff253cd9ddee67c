#include "zropenworkssurveyreferencewidget.h"

#include "iconxpmhandler.h"
#include "zrprojectbrowsermodel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ZROpenworksSurveyReferenceWidget::ZROpenworksSurveyReferenceWidget(const QModelIndex& item, const QIcon& icon,
                                                                   QWidget* parent)
    : QFrame(parent)
    , m_item(item)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAcceptDrops(true);

    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(icon.pixmap(24, 24));
    m_label = new QLabel(QFileInfo(item.data(ZRProjectBrowserModel::PathRole).toString()).fileName(), this);
    m_lineEdit = new QLineEdit(this);
    m_lineEdit->setReadOnly(true);
    m_lineEdit->setPlaceholderText(QStringLiteral("Drop survey here..."));
    if (iconHandler)
        m_lineEdit->addAction(iconHandler->icon(QStringLiteral("bloc")), QLineEdit::LeadingPosition);
    // The line edit would take the drop as text otherwise.
    m_lineEdit->setAcceptDrops(false);

    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(m_label);
    right->addWidget(m_lineEdit);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(6);
    layout->addWidget(iconLabel);
    layout->addLayout(right, 1);
}

void ZROpenworksSurveyReferenceWidget::takeDrop(const QMimeData* data)
{
    m_hasSurvey = false;
    const SurveyDrop drop = SurveyDrop::fromMimeData(data);
    // A drop that names no survey leaves the item without one (nothing stale is shown).
    m_survey = drop.survey;
    m_origin = drop.origin;
    m_lineEdit->setText(SurveyDrop::displayText(drop.survey, drop.origin));
    m_hasSurvey = drop.origin != SurveyOrigin::None;
    emit newDrop();
}

void ZROpenworksSurveyReferenceWidget::globalSurveySelected(const QString& surveyName, SurveyOrigin origin)
{
    if (origin == SurveyOrigin::None)
        return;
    m_survey = surveyName;
    m_origin = origin;
    m_lineEdit->setText(SurveyDrop::displayText(surveyName, origin));
    m_hasSurvey = true;
    emit newDrop();
}

void ZROpenworksSurveyReferenceWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (SurveyDrop::canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksSurveyReferenceWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (SurveyDrop::canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksSurveyReferenceWidget::dropEvent(QDropEvent* event)
{
    takeDrop(event->mimeData());
    event->acceptProposedAction();
}
