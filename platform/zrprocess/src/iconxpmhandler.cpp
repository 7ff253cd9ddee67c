#include "iconxpmhandler.h"

#include "zreventbus.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>

IconXPMHandler* iconHandler = nullptr;

namespace
{

/// Paints one glyph into a square of side s, with the foreground colour given.
using Painter = std::function<void(QPainter&, qreal s, const QColor& ink)>;

struct Glyph
{
    QColor light;  ///< ink on a light style
    QColor dark;   ///< ink on a dark style
    Painter paint;
};

void arrow(QPainter& p, qreal s, const QColor& ink, bool right)
{
    QPainterPath path;
    const qreal m = s * 0.15;
    if (right) {
        path.moveTo(m, s * 0.38); path.lineTo(s * 0.52, s * 0.38); path.lineTo(s * 0.52, m);
        path.lineTo(s - m, s / 2); path.lineTo(s * 0.52, s - m); path.lineTo(s * 0.52, s * 0.62);
        path.lineTo(m, s * 0.62);
    } else {
        path.moveTo(s - m, s * 0.38); path.lineTo(s * 0.48, s * 0.38); path.lineTo(s * 0.48, m);
        path.lineTo(m, s / 2); path.lineTo(s * 0.48, s - m); path.lineTo(s * 0.48, s * 0.62);
        path.lineTo(s - m, s * 0.62);
    }
    path.closeSubpath();
    p.fillPath(path, ink);
}

void cube(QPainter& p, qreal s, const QColor& ink)
{
    const qreal m = s * 0.12, d = s * 0.25;
    const QRectF front(m, m + d, s - 2 * m - d, s - 2 * m - d);
    p.setPen(QPen(ink.darker(140), qMax<qreal>(1.0, s / 16)));
    p.setBrush(ink);
    p.drawRect(front);
    QPolygonF top({front.topLeft(), front.topLeft() + QPointF(d, -d), front.topRight() + QPointF(d, -d), front.topRight()});
    QPolygonF side({front.topRight(), front.topRight() + QPointF(d, -d), front.bottomRight() + QPointF(d, -d), front.bottomRight()});
    p.setBrush(ink.lighter(130));
    p.drawPolygon(top);
    p.setBrush(ink.darker(120));
    p.drawPolygon(side);
}

void well(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink, qMax<qreal>(1.5, s / 10)));
    p.drawLine(QPointF(s / 2, s * 0.35), QPointF(s / 2, s * 0.92));
    p.setBrush(ink);
    p.drawPolygon(QPolygonF({QPointF(s * 0.25, s * 0.38), QPointF(s * 0.75, s * 0.38), QPointF(s / 2, s * 0.08)}));
}

void zigzag(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink, qMax<qreal>(1.5, s / 9), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(s * 0.3, s * 0.08), QPointF(s * 0.55, s * 0.4), QPointF(s * 0.4, s * 0.6),
                              QPointF(s * 0.7, s * 0.92)}));
}

void layer(QPainter& p, qreal s, const QColor& ink, int count)
{
    p.setPen(QPen(ink, qMax<qreal>(1.5, s / 9), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i) {
        const qreal y = s * (count == 1 ? 0.5 : 0.3 + 0.4 * i / (count - 1));
        QPainterPath path(QPointF(s * 0.08, y));
        path.cubicTo(QPointF(s * 0.35, y - s * 0.25), QPointF(s * 0.65, y + s * 0.25), QPointF(s * 0.92, y));
        p.drawPath(path);
    }
}

void flags(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink, qMax<qreal>(1.0, s / 14)));
    p.setBrush(ink);
    for (int i = 0; i < 2; ++i) {
        const qreal x = s * (0.2 + 0.4 * i);
        p.drawLine(QPointF(x, s * 0.1), QPointF(x, s * 0.9));
        p.drawPolygon(QPolygonF({QPointF(x, s * 0.1), QPointF(x + s * 0.3, s * 0.2), QPointF(x, s * 0.3)}));
    }
}

void refresh(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink, qMax<qreal>(1.5, s / 8), Qt::SolidLine, Qt::RoundCap));
    const QRectF box(s * 0.18, s * 0.18, s * 0.64, s * 0.64);
    p.drawArc(box, 60 * 16, 270 * 16);
    p.setBrush(ink);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(s * 0.55, s * 0.02), QPointF(s * 0.9, s * 0.2), QPointF(s * 0.58, s * 0.38)}));
}

void openWorks(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(s * 0.3, s * 0.3, s * 0.4, s * 0.4));
}

void wellTable(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink, qMax<qreal>(1.0, s / 16)));
    p.setBrush(Qt::white);
    const QRectF box(s * 0.1, s * 0.15, s * 0.8, s * 0.7);
    p.drawRect(box);
    for (int i = 1; i < 3; ++i) {
        p.drawLine(QPointF(box.left(), box.top() + box.height() * i / 3), QPointF(box.right(), box.top() + box.height() * i / 3));
        p.drawLine(QPointF(box.left() + box.width() * i / 3, box.top()), QPointF(box.left() + box.width() * i / 3, box.bottom()));
    }
    well(p, s * 0.5, ink);
}

void gear(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink, qMax<qreal>(1.5, s / 7), Qt::SolidLine, Qt::RoundCap));
    const QPointF c(s / 2, s / 2);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * 0.7853981633974483;
        p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * s * 0.25, c + QPointF(std::cos(a), std::sin(a)) * s * 0.42);
    }
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, s * 0.2, s * 0.2);
}

void magnifier(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink, qMax<qreal>(1.5, s / 8), Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QRectF(s * 0.1, s * 0.1, s * 0.5, s * 0.5));
    p.drawLine(QPointF(s * 0.55, s * 0.55), QPointF(s * 0.9, s * 0.9));
}

void folder(QPainter& p, qreal s, const QColor& ink)
{
    p.setPen(QPen(ink.darker(130), 1));
    p.setBrush(ink);
    p.drawPolygon(QPolygonF({QPointF(s * 0.05, s * 0.25), QPointF(s * 0.4, s * 0.25), QPointF(s * 0.5, s * 0.35),
                             QPointF(s * 0.95, s * 0.35), QPointF(s * 0.95, s * 0.85), QPointF(s * 0.05, s * 0.85)}));
}

const std::map<QString, Glyph>& glyphs()
{
    static const std::map<QString, Glyph> glyphTable = {
        {"rightarrow", {QColor(0x2e, 0x7d, 0x32), QColor(0x81, 0xc7, 0x84), [](QPainter& p, qreal s, const QColor& c) { arrow(p, s, c, true); }}},
        {"leftarrow", {QColor(0x15, 0x65, 0xc0), QColor(0x64, 0xb5, 0xf6), [](QPainter& p, qreal s, const QColor& c) { arrow(p, s, c, false); }}},
        {"bloc", {QColor(0x8d, 0x6e, 0x63), QColor(0xbc, 0xaa, 0xa4), cube}},
        {"volume", {QColor(0x8d, 0x6e, 0x63), QColor(0xbc, 0xaa, 0xa4), cube}},
        {"well", {QColor(0x37, 0x47, 0x4f), QColor(0xcf, 0xd8, 0xdc), well}},
        {"wellset", {QColor(0x37, 0x47, 0x4f), QColor(0xcf, 0xd8, 0xdc), well}},
        {"welltable24", {QColor(0x37, 0x47, 0x4f), QColor(0xcf, 0xd8, 0xdc), wellTable}},
        {"faultpicking", {QColor(0xc6, 0x28, 0x28), QColor(0xef, 0x9a, 0x9a), zigzag}},
        {"fault", {QColor(0xc6, 0x28, 0x28), QColor(0xef, 0x9a, 0x9a), zigzag}},
        {"horizon_base", {QColor(0x00, 0x83, 0x8f), QColor(0x80, 0xde, 0xea), [](QPainter& p, qreal s, const QColor& c) { layer(p, s, c, 1); }}},
        {"vectormodelhorizon16", {QColor(0x00, 0x83, 0x8f), QColor(0x80, 0xde, 0xea), [](QPainter& p, qreal s, const QColor& c) { layer(p, s, c, 2); }}},
        {"set_markerset", {QColor(0xef, 0x6c, 0x00), QColor(0xff, 0xcc, 0x80), flags}},
        {"marker", {QColor(0xef, 0x6c, 0x00), QColor(0xff, 0xcc, 0x80), flags}},
        {"refresh16", {QColor(0x2e, 0x7d, 0x32), QColor(0xa5, 0xd6, 0xa7), refresh}},
        {"openworks24", {QColor(0xb7, 0x1c, 0x1c), QColor(0xef, 0x53, 0x50), openWorks}},
        {"process_16", {QColor(0x45, 0x5a, 0x64), QColor(0xb0, 0xbe, 0xc5), gear}},
        {"zoommode16", {QColor(0x45, 0x5a, 0x64), QColor(0xb0, 0xbe, 0xc5), magnifier}},
        {"folder", {QColor(0xf9, 0xa8, 0x25), QColor(0xff, 0xe0, 0x82), folder}},
        {"project", {QColor(0x5d, 0x40, 0x37), QColor(0xd7, 0xcc, 0xc8), folder}},
    };
    return glyphTable;
}

QPixmap render(const Glyph& glyph, int size, bool dark)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    glyph.paint(painter, size, dark ? glyph.dark : glyph.light);
    return pixmap;
}

} // namespace

IconXPMHandler::IconXPMHandler() = default;
IconXPMHandler::~IconXPMHandler() = default;

void IconXPMHandler::setDarkStyle(bool dark)
{
    if (dark != m_dark)
        m_cache.clear();
    m_dark = dark;
}

bool IconXPMHandler::isDarkStyle() const
{
    return m_dark;
}

bool IconXPMHandler::hasIcon(const QString& name) const
{
    return glyphs().count(name) != 0;
}

QStringList IconXPMHandler::iconNames()
{
    QStringList names;
    for (const auto& entry : glyphs())
        names.append(entry.first);
    return names;
}

QIcon IconXPMHandler::icon(const QString& name) const
{
    const auto cached = m_cache.constFind(name);
    if (cached != m_cache.constEnd())
        return *cached;
    const auto glyph = glyphs().find(name);
    if (glyph == glyphs().end() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (!m_warned.value(name)) {
            m_warned.insert(name, true);
            ZREventBus::sendMessage(eDrawInformation, QStringLiteral("Icon \"%1\" is not available.").arg(name), false);
        }
        return QIcon();
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(render(glyph->second, size, m_dark));
    m_cache.insert(name, icon);
    return icon;
}

QPixmap IconXPMHandler::pixmap(const QString& name) const
{
    const QIcon found = icon(name);
    if (found.isNull())
        return QPixmap();
    const int size = name.endsWith(QLatin1String("16")) || name.endsWith(QLatin1String("_16")) ? 16 : 24;
    return found.pixmap(size, size);
}
