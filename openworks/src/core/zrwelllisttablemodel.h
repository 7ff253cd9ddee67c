#pragma once

#include "zropenworkstablemodel.h"

/// The OpenWorks well lists of the open project as the well list association
/// dialog shows them: one row per well list (class 502) with its name, its
/// interpreter and the number of its wells (the count of its class-823
/// subset). Three columns, "Well List", "Interpreter", "Well Count"; display
/// role only. A row is dragged by its name (column 0).
class ZRWellListTableModel : public ZROpenworksFixedTableModel<3>
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn = 0,
        InterpreterColumn = 1,
        WellCountColumn = 2
    };

    explicit ZRWellListTableModel(QObject* parent = nullptr);

    bool isHiddenColumn(int column) const override;
    /// populate(parentProgressId).
    void loadFromOpenworks(int parentProgressId) override;

    /// Reads every well list (gdiReadSet(502)) and appends one row per record
    /// in set order, its well count from gdiCountSubset(502, record, 823),
    /// then gives the set back (gdiFree). No list sets the page message "No
    /// well lists found."; a failed read sets the DevKit's error text.
    /// progressBarId: the bar advanced once the lists are read (-1: none).
    void populate(int progressBarId);

    /// Appends a row (a list just created), with notifications.
    void appendWellList(const QString& name, const QString& interpreter, int wellCount);
    /// The row of the list of that exact name, -1 when none.
    int rowOfList(const QString& name) const;
};
