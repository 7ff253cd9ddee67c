#include "zrprogressbar.h"

#include "iconxpmhandler.h"
#include "zrassert.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

/// Draws the progression column as a progress bar.
class ProgressionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(1, 1, -1, -1);
        bar.minimum = 0;
        bar.maximum = qMax(0, index.data(ZRProgressBar::TotalRole).toInt());
        bar.progress = index.data(ZRProgressBar::ValueRole).toInt();
        bar.textVisible = true;
        bar.text = bar.maximum > 0 ? QStringLiteral("%1%").arg(qRound(100.0 * bar.progress / bar.maximum))
                                   : QString();
        bar.state = option.state;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
    }
};

} // namespace

ZRProgressBar::ZRProgressBar(int topLevelId, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_id(topLevelId)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Process running..."));
    if (iconHandler)
        setWindowIcon(iconHandler->icon(QStringLiteral("process_16")));

    auto* layout = new QVBoxLayout(this);
    m_titleLabel = new QLabel(QStringLiteral("<b>TITLE</b>"), this);
    m_mainBar = new QProgressBar(this);
    m_mainBar->setMinimumWidth(360);

    m_infoButton = new QToolButton(this);
    m_infoButton->setCheckable(true);
    m_infoButton->setArrowType(Qt::RightArrow);
    m_infoButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_infoButton->setText(QStringLiteral("More Info"));
    m_infoButton->setAutoRaise(true);

    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("Process"), QStringLiteral("Progression")});
    m_tree->header()->hide();
    m_tree->setSelectionMode(QAbstractItemView::NoSelection);
    m_tree->setItemDelegateForColumn(1, new ProgressionDelegate(m_tree));
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->hide();

    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Cancel, this);

    layout->addWidget(m_titleLabel);
    layout->addWidget(m_mainBar);
    layout->addWidget(m_infoButton, 0, Qt::AlignLeft);
    layout->addWidget(m_tree);
    layout->addWidget(m_buttonBox);

    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &ZRProgressBar::onCancel);
    connect(m_infoButton, &QToolButton::toggled, this, &ZRProgressBar::toggleInfo);
}

ZRProgressBar::~ZRProgressBar() = default;

QPushButton* ZRProgressBar::cancelButton() const
{
    return m_buttonBox->button(QDialogButtonBox::Cancel);
}

void ZRProgressBar::updateEvents()
{
    // Long work runs on the GUI thread: let the window paint and take clicks.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void ZRProgressBar::create(int id, int total, const QString& title, int parentId, bool cancellable)
{
    if (id == m_id) {
        m_mainBar->setRange(0, qMax(0, total));
        m_mainBar->setValue(0);
        m_titleLabel->setText(QStringLiteral("<b>%1</b>").arg(title));
        cancelButton()->setEnabled(cancellable);
        show();
        updateEvents();
        return;
    }
    if (m_progressBarItemHash.contains(id)) {
        ZR_ASSERT_FAILED("!m_progressBarItemHash.contains(pBarId)");
        return;
    }
    QTreeWidgetItem* parentItem = nullptr;
    if (parentId != m_id) {
        parentItem = m_progressBarItemHash.value(parentId);
        if (!parentItem) {
            ZR_ASSERT_FAILED("m_progressBarItemHash.contains(parentId)");
            return;
        }
    }
    if (m_infoNeverExpanded) {
        m_infoNeverExpanded = false;
        m_infoButton->setChecked(true);
    }
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(m_tree);
    item->setText(0, title);
    item->setData(1, ValueRole, 0);
    item->setData(1, TotalRole, qMax(0, total));
    if (parentItem)
        parentItem->setExpanded(true);
    m_progressBarItemHash.insert(id, item);
    updateEvents();
}

void ZRProgressBar::initialize(int id, int total, const QString& title)
{
    if (id == m_id) {
        m_mainBar->setRange(0, qMax(0, total));
        m_mainBar->setValue(0);
        m_titleLabel->setText(QStringLiteral("<b>%1</b>").arg(title));
        updateEvents();
        return;
    }
    QTreeWidgetItem* item = m_progressBarItemHash.value(id);
    if (!item) {
        ZR_ASSERT_FAILED("m_progressBarItemHash.contains(pBarId)");
        return;
    }
    item->setText(0, title);
    item->setData(1, ValueRole, 0);
    item->setData(1, TotalRole, qMax(0, total));
    updateEvents();
}

void ZRProgressBar::increment(int id, int step)
{
    if (id == m_id) {
        m_mainBar->setValue(qMin(m_mainBar->maximum(), m_mainBar->value() + step));
        updateEvents();
        return;
    }
    QTreeWidgetItem* item = m_progressBarItemHash.value(id);
    if (!item) {
        ZR_ASSERT_FAILED("m_progressBarItemHash.contains(pBarId)");
        return;
    }
    const int total = item->data(1, TotalRole).toInt();
    item->setData(1, ValueRole, qMin(total, item->data(1, ValueRole).toInt() + step));
    updateEvents();
}

void ZRProgressBar::close(int id)
{
    if (id == m_id) {
        m_closingByOwner = true;
        QWidget::close();
        return;
    }
    QTreeWidgetItem* item = m_progressBarItemHash.take(id);
    if (!item) {
        ZR_ASSERT_FAILED("m_progressBarItemHash.contains(pBarId)");
        return;
    }
    // Children of a closed item go with it.
    for (auto it = m_progressBarItemHash.begin(); it != m_progressBarItemHash.end();) {
        QTreeWidgetItem* candidate = it.value();
        bool below = false;
        for (QTreeWidgetItem* up = candidate->parent(); up; up = up->parent())
            below = below || up == item;
        it = below ? m_progressBarItemHash.erase(it) : std::next(it);
    }
    delete item;
}

void ZRProgressBar::closeEvent(QCloseEvent* event)
{
    if (!m_closingByOwner)
        progressBarWindowClosed(m_id);
    event->accept();
}

void ZRProgressBar::onCancel()
{
    cancelProgressBar(m_id);
}

void ZRProgressBar::toggleInfo(bool shown)
{
    m_infoButton->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
    m_infoButton->setText(shown ? QStringLiteral("Hide Info") : QStringLiteral("More Info"));
    m_tree->setVisible(shown);
    adjustSize();
}
