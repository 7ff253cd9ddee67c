#pragma once

#include <QPalette>
#include <QProxyStyle>
#include <QString>

class QApplication;

namespace vsWidgets
{

/// The host's display style: a Fusion-based proxy style with its own palette
/// and style sheet, in a light and a dark variant.
class HostProxyStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit HostProxyStyle(bool dark);

    bool isDark() const { return m_dark; }
    QPalette standardPalette() const override;
    QString styleSheet() const;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    bool m_dark;
};

/// Style ids of the host's settings: 0 to 5 are light, 6 to 11 dark.
enum class HostStyleKind
{
    Light,
    Dark,
    Unknown
};
HostStyleKind hostStyleKind(int styleId);

/// Applies the style of the given id to the application (style, palette, style
/// sheet, tool-tip palette). Returns false and changes nothing for an unknown id.
bool applyHostStyle(QApplication& application, int styleId);

/// Whether the application's style is (or wraps) the dark host style.
bool isDarkHostStyle(const QApplication& application);

/// Reads "Application/StyleId_2021" (default -1), then, when it is -1,
/// "Application/StyleId_2016" (default 1), from the host's settings.
int hostStyleIdFromSettings();

} // namespace vsWidgets
