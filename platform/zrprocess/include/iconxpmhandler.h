#pragma once

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

/// Serves the host's icons by name from the process library's own icon set.
/// An unknown name gives an empty icon and a warning on the event bus (once per
/// name).
class IconXPMHandler
{
public:
    IconXPMHandler();
    ~IconXPMHandler();

    void setDarkStyle(bool dark);
    bool isDarkStyle() const;

    QIcon icon(const QString& name) const;
    QPixmap pixmap(const QString& name) const;
    bool hasIcon(const QString& name) const;

    /// Every name of the icon set.
    static QStringList iconNames();

private:
    bool m_dark = false;
    mutable QHash<QString, QIcon> m_cache;
    mutable QHash<QString, bool> m_warned;
};

extern IconXPMHandler* iconHandler;
