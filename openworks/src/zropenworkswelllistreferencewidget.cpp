#include "zropenworkswelllistreferencewidget.h"

#include "zropenworkstableview.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>

ZROpenworksWellListReferenceWidget::ZROpenworksWellListReferenceWidget(int wellId, const QString& wellName,
                                                                       const QIcon& icon, QWidget* parent)
    : QFrame(parent)
    , m_wellId(wellId)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAcceptDrops(true);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setPixmap(icon.pixmap(24, 24));
    m_nameLabel = new QLabel(wellName, this);
    m_lineEdit = new QLineEdit(this);
    m_lineEdit->setReadOnly(true);
    m_lineEdit->setPlaceholderText(QStringLiteral("Drop Well List here..."));
    // The line edit would take the drop as text otherwise.
    m_lineEdit->setAcceptDrops(false);

    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(m_nameLabel);
    right->addWidget(m_lineEdit);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(6);
    layout->addWidget(m_iconLabel);
    layout->addLayout(right, 1);
}

QString ZROpenworksWellListReferenceWidget::wellList() const
{
    return m_lineEdit->text();
}

bool ZROpenworksWellListReferenceWidget::canDecode(const QMimeData* data)
{
    return data && data->hasFormat(QString::fromLatin1(ZROpenworksTableView::MimeType));
}

void ZROpenworksWellListReferenceWidget::takeDrop(const QMimeData* data)
{
    m_assigned = false;
    if (canDecode(data)) {
        m_lineEdit->setText(data->text());
        m_assigned = true;
    }
    emit newDrop();
}

void ZROpenworksWellListReferenceWidget::assign(const QString& wellList)
{
    m_lineEdit->setText(wellList);
    m_assigned = true;
    emit newDrop();
}

void ZROpenworksWellListReferenceWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksWellListReferenceWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (canDecode(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ZROpenworksWellListReferenceWidget::dropEvent(QDropEvent* event)
{
    takeDrop(event->mimeData());
    event->acceptProposedAction();
}
