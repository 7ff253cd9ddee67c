#include "zropenworkstableview.h"

#include "hoststyle.h"
#include "zropenworkstablemodel.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>

#include <cmath>

namespace
{
/// Shows reals with the digits they carry.
class RealDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        if (value.userType() == QMetaType::Double || value.userType() == QMetaType::Float)
            return ZROpenworksTableView::realText(value.toDouble(), locale);
        return QStyledItemDelegate::displayText(value, locale);
    }
};
} // namespace

const char* const ZROpenworksTableView::MimeType = "application/velostrat.openworkstableitem";

ZROpenworksTableView::ZROpenworksTableView(ZROpenworksTableModel* categoryModel, QAbstractItemModel* proxy,
                                           const QString& emptyText, QWidget* parent)
    : QTableView(parent)
    , m_categoryModel(categoryModel)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(true);
    setModel(proxy);
    setItemDelegate(new RealDelegate(this));
    categoryModel->setParent(this);
    horizontalHeader()->setStretchLastSection(true);

    m_overlay = new QLabel(emptyText, this);
    m_overlay->setStyleSheet(QStringLiteral("QLabel {color: lightGray; font-size: 18px; border-width: 3px; "
                                            "}QLabel:disabled { color: grey; border - color: grey; }"));
    m_overlay->setAlignment(Qt::AlignCenter);
    m_overlay->setWordWrap(true);
    m_overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    placeOverlay();
}

QString ZROpenworksTableView::realText(double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return locale.toString(value);
    // The fewest digits that give the value back: the double itself, or for a
    // single-precision value widened to double, that float.
    const bool single = double(float(value)) == value;
    for (int digits = 1; digits < 17; ++digits) {
        const double parsed = QString::number(value, 'g', digits).toDouble();
        if (parsed == value || (single && float(parsed) == float(value)))
            return locale.toString(value, 'g', digits);
    }
    return locale.toString(value, 'g', 17);
}

void ZROpenworksTableView::applyHeaderSort()
{
    auto* proxy = qobject_cast<QSortFilterProxyModel*>(model());
    if (!proxy)
        return;
    const int section = isSortingEnabled() ? horizontalHeader()->sortIndicatorSection() : -1;
    proxy->sort(section, horizontalHeader()->sortIndicatorOrder());
}

void ZROpenworksTableView::placeOverlay()
{
    const QRect area = viewport()->geometry();
    m_overlay->setGeometry(area.x(), area.y(), qMax(0, area.width() - 10), qMax(0, area.height() - 10));
}

void ZROpenworksTableView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    placeOverlay();
}

QString ZROpenworksTableView::dragLabel(int proxyRow) const
{
    const int column = m_categoryModel->labelColumn();
    if (column < 0 || !model())
        return QString();
    return model()->index(proxyRow, column).data(Qt::DisplayRole).toString();
}

void ZROpenworksTableView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressPosition = event->pos();
    QTableView::mousePressEvent(event);
}

void ZROpenworksTableView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !dragEnabled()
        || (event->pos() - m_pressPosition).manhattanLength() < QApplication::startDragDistance()) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    const QModelIndex pressed = indexAt(m_pressPosition);
    if (!pressed.isValid())
        return;
    const QString text = dragLabel(pressed.row());

    const QFontMetrics metrics(font());
    const QSize size(qMax(1, int(metrics.horizontalAdvance(text) * 1.2)), qMax(1, int(metrics.height() * 1.5)));
    QPixmap pixmap(size);
    const auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    pixmap.fill(application && vsWidgets::isDarkHostStyle(*application) ? Qt::gray : Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setFont(font());
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    painter.end();

    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(MimeType), QByteArray());
    mime->setText(text);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(pixmap);
    drag->setHotSpot(QPoint(size.width() / 2, size.height()));
    drag->exec(Qt::MoveAction);
}
