#include "zropenworkswelllistapplytoallwidget.h"

#include "zropenworkswelllistreferencewidget.h"
#include "zropenworkswelllistsupportdialog.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>

ZROpenworksWellListApplyToAllWidget::ZROpenworksWellListApplyToAllWidget(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAcceptDrops(true);
    m_lineEdit = new QLineEdit(this);
    m_lineEdit->setReadOnly(true);
    m_lineEdit->setPlaceholderText(QStringLiteral("Drop Well List here to apply to all..."));
    m_lineEdit->setAcceptDrops(false);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(3);
    layout->addWidget(new QLabel(QStringLiteral("Apply to All"), this));
    layout->addWidget(m_lineEdit);
}

void ZROpenworksWellListApplyToAllWidget::takeDrop(const QMimeData* data)
{
    if (!ZROpenworksWellListReferenceWidget::canDecode(data))
        return;
    ZROpenworksWellListSupportDialog* dialog = nullptr;
    for (QWidget* widget = parentWidget(); widget && !dialog; widget = widget->parentWidget())
        dialog = qobject_cast<ZROpenworksWellListSupportDialog*>(widget);
    m_lineEdit->setText(data->text());
    if (dialog)
        dialog->applyToAll(data->text());
}

void ZROpenworksWellListApplyToAllWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (ZROpenworksWellListReferenceWidget::canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksWellListApplyToAllWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (ZROpenworksWellListReferenceWidget::canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksWellListApplyToAllWidget::dropEvent(QDropEvent* event)
{
    takeDrop(event->mimeData());
    event->acceptProposedAction();
}
