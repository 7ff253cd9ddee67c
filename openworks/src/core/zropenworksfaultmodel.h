#pragma once

#include "zropenworkstablemodel.h"

#include "owdevkit.h"

/// Fault planes with their segment count. Hidden: 7 fault plane id.
class ZROpenworksFaultModel : public ZROpenworksFixedTableModel<8>
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 8;
    static constexpr int FirstHiddenColumn = 7;

    /// Columns read by the exchanges.
    enum Column
    {
        NameColumn = 0,
        DomainColumn = 3,
        FaultPlaneIdColumn = 7
    };

    explicit ZROpenworksFaultModel(QObject* parent = nullptr);

    bool isHiddenColumn(int column) const override;
    void loadFromOpenworks(int parentProgressId) override;

    /// Appends the row of a fault plane record (after an export; its segments
    /// counted through the DevKit), with notifications.
    void appendFaultPlane(const gdiFaultPlane_t& plane);

private:
    static Row rowOf(const gdiFaultPlane_t& plane);
};
