#include "zropenworksapplytoallwidget.h"

#include "iconxpmhandler.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ZROpenworksApplyToAllWidget::ZROpenworksApplyToAllWidget(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAcceptDrops(true);
    m_lineEdit = new QLineEdit(this);
    m_lineEdit->setReadOnly(true);
    m_lineEdit->setPlaceholderText(QStringLiteral("Drop survey here to apply to all..."));
    if (iconHandler)
        m_lineEdit->addAction(iconHandler->icon(QStringLiteral("bloc")), QLineEdit::LeadingPosition);
    m_lineEdit->setAcceptDrops(false);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(3);
    layout->addWidget(new QLabel(QStringLiteral("Apply to All"), this));
    layout->addWidget(m_lineEdit);
}

void ZROpenworksApplyToAllWidget::takeDrop(const QMimeData* data)
{
    const SurveyDrop drop = SurveyDrop::fromMimeData(data);
    if (drop.origin != SurveyOrigin::None)
        m_lineEdit->setText(SurveyDrop::displayText(drop.survey, drop.origin));
    emit surveyDropped(drop.survey, drop.origin);
}

void ZROpenworksApplyToAllWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (SurveyDrop::canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksApplyToAllWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (SurveyDrop::canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksApplyToAllWidget::dropEvent(QDropEvent* event)
{
    takeDrop(event->mimeData());
    event->acceptProposedAction();
}
