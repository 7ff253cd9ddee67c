#include "unitselection.h"

#include <QInputDialog>

#include <mutex>

namespace georef
{

namespace
{

std::mutex& hooksMutex()
{
    static std::mutex mutex;
    return mutex;
}

UnitDialogHooks& hooks()
{
    static UnitDialogHooks value;
    return value;
}

UnitDialogHooks currentHooks()
{
    std::lock_guard<std::mutex> lock(hooksMutex());
    return hooks();
}

} // namespace

void setUnitDialogHooks(const UnitDialogHooks& value)
{
    std::lock_guard<std::mutex> lock(hooksMutex());
    hooks() = value;
}

int selectUnit(const QList<int>& candidates, const QString& message, QWidget* parent)
{
    QStringList items;
    for (int unit : candidates)
        items.append(UnitTable::unitName(unit));
    const QString title = QStringLiteral("Unit Selection");
    const QString label = message + QStringLiteral("\n\n Unit:");

    QString chosen;
    bool accepted = false;
    const UnitDialogHooks active = currentHooks();
    if (active.selectItem)
        accepted = active.selectItem(title, label, items, &chosen);
    else
        chosen = QInputDialog::getItem(parent, title, label, items, 0, false, &accepted);
    if (!accepted || chosen.isEmpty())
        return NoUnit;
    return UnitTable::unitFromName(chosen);
}

} // namespace georef
