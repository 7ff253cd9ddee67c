#pragma once

#include "unittable.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

/// The unit question that needs a window: the unit selection dialog.
namespace georef
{

/// Stand-in for the modal window, for tests: `selectItem` answers the item
/// dialog (true and the chosen text when accepted). An empty function restores
/// the real window.
struct UnitDialogHooks
{
    std::function<bool(const QString& title, const QString& label, const QStringList& items, QString* chosen)> selectItem;
};
void setUnitDialogHooks(const UnitDialogHooks& hooks);

/// Shows "Unit Selection" with `message` + "\n\n Unit:" and the names of
/// `candidates` (first one current, not editable). Returns the chosen unit, or
/// NoUnit when cancelled or nothing was chosen.
int selectUnit(const QList<int>& candidates, const QString& message, QWidget* parent);

} // namespace georef
