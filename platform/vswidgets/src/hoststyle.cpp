#include "hoststyle.h"

#include <QApplication>
#include <QSettings>
#include <QStyleFactory>
#include <QToolTip>

namespace vsWidgets
{

namespace
{
const char* const kHostStyleProperty = "vsHostStyle";
}

HostProxyStyle::HostProxyStyle(bool dark)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    , m_dark(dark)
{
    setObjectName(dark ? QStringLiteral("VelostratDark") : QStringLiteral("VelostratLight"));
}

QPalette HostProxyStyle::standardPalette() const
{
    QPalette palette;
    if (m_dark) {
        const QColor window(0x35, 0x38, 0x3d), base(0x26, 0x28, 0x2c), text(0xe6, 0xe6, 0xe6);
        const QColor highlight(0x2f, 0x7d, 0xc9), disabled(0x80, 0x80, 0x80);
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::AlternateBase, window);
        palette.setColor(QPalette::ToolTipBase, base);
        palette.setColor(QPalette::ToolTipText, text);
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Button, window);
        palette.setColor(QPalette::ButtonText, text);
        palette.setColor(QPalette::BrightText, Qt::red);
        palette.setColor(QPalette::Link, highlight.lighter(130));
        palette.setColor(QPalette::Highlight, highlight);
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::PlaceholderText, disabled);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(QPalette::Disabled, role, disabled);
    } else {
        const QColor window(0xf0, 0xf1, 0xf3), text(0x1e, 0x1e, 0x1e), highlight(0x30, 0x8c, 0xe0);
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::AlternateBase, QColor(0xf6, 0xf7, 0xf9));
        palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe8));
        palette.setColor(QPalette::ToolTipText, text);
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Button, QColor(0xe6, 0xe8, 0xeb));
        palette.setColor(QPalette::ButtonText, text);
        palette.setColor(QPalette::Highlight, highlight);
        palette.setColor(QPalette::HighlightedText, Qt::white);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(QPalette::Disabled, role, QColor(0xa0, 0xa0, 0xa0));
    }
    return palette;
}

QString HostProxyStyle::styleSheet() const
{
    if (m_dark)
        return QStringLiteral(
            "QToolTip { color: #e6e6e6; background-color: #26282c; border: 1px solid #5a5d63; }"
            "QGroupBox { border: 1px solid #4a4d53; border-radius: 3px; margin-top: 1.2ex; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 3px; }");
    return QStringLiteral(
        "QToolTip { color: #1e1e1e; background-color: #ffffe8; border: 1px solid #b0b0b0; }"
        "QGroupBox { border: 1px solid #c4c7cc; border-radius: 3px; margin-top: 1.2ex; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 3px; }");
}

int HostProxyStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_SmallIconSize)
        return 16;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

HostStyleKind hostStyleKind(int styleId)
{
    if (styleId >= 0 && styleId <= 5)
        return HostStyleKind::Light;
    if (styleId >= 6 && styleId <= 11)
        return HostStyleKind::Dark;
    return HostStyleKind::Unknown;
}

bool applyHostStyle(QApplication& application, int styleId)
{
    const HostStyleKind kind = hostStyleKind(styleId);
    if (kind == HostStyleKind::Unknown)
        return false;
    auto* style = new HostProxyStyle(kind == HostStyleKind::Dark);
    const QPalette palette = style->standardPalette();
    const QString sheet = style->styleSheet();
    QApplication::setStyle(style);
    QApplication::setPalette(palette);
    QToolTip::setPalette(palette);
    application.setStyleSheet(sheet);
    // With a style sheet the application's style is a wrapper around ours:
    // remember which one was applied.
    application.setProperty(kHostStyleProperty, kind == HostStyleKind::Dark ? "dark" : "light");
    return true;
}

bool isDarkHostStyle(const QApplication& application)
{
    return application.property(kHostStyleProperty).toString() == QLatin1String("dark");
}

int hostStyleIdFromSettings()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Application"));
    int id = settings.value(QStringLiteral("StyleId_2021"), -1).toInt();
    if (id == -1)
        id = settings.value(QStringLiteral("StyleId_2016"), 1).toInt();
    return id;
}

} // namespace vsWidgets
