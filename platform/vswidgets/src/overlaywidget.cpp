#include "overlaywidget.h"

#include <QEvent>
#include <QPainter>
#include <QPropertyAnimation>

namespace vsWidgets
{

OverlayWidget::OverlayWidget(QWidget* covered)
    : QWidget(covered)
    , m_covered(covered)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
    if (covered)
        covered->installEventFilter(this);
    hide();
}

OverlayWidget::~OverlayWidget()
{
    if (m_covered)
        m_covered->removeEventFilter(this);
}

void OverlayWidget::setAlphaValue(int alpha)
{
    m_alpha = qBound(0, alpha, 255);
    update();
}

void OverlayWidget::init()
{
    const QRect area = m_covered ? m_covered->rect() : rect();
    setGeometry(area);
    show();
    raise();
    if (m_duration <= 0 || m_position == Center)
        return;
    QRect start = area;
    if (m_position == Top)
        start.moveTop(area.top() - area.height());
    else
        start.moveTop(area.bottom() + 1);
    m_animation = new QPropertyAnimation(this, "geometry", this);
    m_animation->setStartValue(start);
    m_animation->setEndValue(area);
    m_animation->setDuration(m_duration);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    m_animation->start();
}

bool OverlayWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_covered && event->type() == QEvent::Resize && isVisible()) {
        if (m_animation && m_animation->state() == QAbstractAnimation::Running)
            m_animation->stop();
        setGeometry(m_covered->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void OverlayWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, m_alpha));
}

} // namespace vsWidgets
