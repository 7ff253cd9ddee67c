#pragma once

#include "unittable.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

/// The unit questions that need a window: the unit selection dialog and the
/// project-unit resolution that may show it.
namespace georef
{

/// Stand-ins for the modal windows, for tests and headless runs. `selectItem`
/// answers the item dialog (true and the chosen text when accepted);
/// `critical` receives a critical message box. Empty functions restore the
/// real windows.
struct UnitDialogHooks
{
    std::function<bool(const QString& title, const QString& label, const QStringList& items, QString* chosen)> selectItem;
    std::function<void(const QString& title, const QString& text)> critical;
};
void setUnitDialogHooks(const UnitDialogHooks& hooks);

/// Shows "Unit Selection" with `message` + "\n\n Unit:" and the names of
/// `candidates` (first one current, not editable). Returns the chosen unit, or
/// NoUnit when cancelled or nothing was chosen.
int selectUnit(const QList<int>& candidates, const QString& message, QWidget* parent);

/// The host unit of the unit the open OpenWorks project uses for `owUnitType`;
/// the OpenWorks unit id goes to `owUnitId`. A DevKit failure shows "Unit
/// Error" and returns NoUnit; a unit the host lacks asks selectUnit.
int projectUnitForType(QWidget* parent, int owUnitType, const QList<int>& candidates, int* owUnitId);

} // namespace georef
