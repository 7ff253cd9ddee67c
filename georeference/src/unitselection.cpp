#include "unitselection.h"

#include "owdevkit.h"
#include "unitresolution.h"

#include <QInputDialog>
#include <QMessageBox>

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

int projectUnitForType(QWidget* parent, int owUnitType, const QList<int>& candidates, int* owUnitId)
{
    int unitId = 0;
    if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, owUnitType, &unitId) != 0) {
        int status = 0;
        const char* typeName = untGetTypeName(owUnitType, &status);
        const QString text = QStringLiteral("Unable to retrieve project unit for unit type <b>%1</b>.")
                                 .arg(QString::fromUtf8(typeName ? typeName : ""));
        const UnitDialogHooks active = currentHooks();
        if (active.critical)
            active.critical(QStringLiteral("Unit Error"), text);
        else
            QMessageBox::critical(parent, QStringLiteral("Unit Error"), text);
        return NoUnit;
    }
    if (owUnitId)
        *owUnitId = unitId;
    const int unit = hostUnitFromOpenWorks(unitId);
    if (unit != NoUnit)
        return unit;
    return selectUnit(candidates, unsupportedUnitQuestion(unitId), parent);
}

} // namespace georef
