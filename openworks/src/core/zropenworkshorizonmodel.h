#pragma once

#include "zropenworkstablemodel.h"

#include "owdevkit.h"

/// Horizon catalogue records. Hidden: 12 horizon id, 13 attribute.
class ZROpenworksHorizonModel : public ZROpenworksFixedTableModel<14>
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 14;
    static constexpr int FirstHiddenColumn = 12;

    /// Columns read by the exchanges.
    enum Column
    {
        HorizonNameColumn = 0,
        AttributeColumn = 3,
        HorizonIdColumn = 12,
        HiddenAttributeColumn = 13
    };

    explicit ZROpenworksHorizonModel(QObject* parent = nullptr);

    bool isHiddenColumn(int column) const override;
    void loadFromOpenworks(int parentProgressId) override;

    /// Appends the row of a catalogue record (after an export), with notifications.
    void appendHorizon(const gdiHorizonCatalog_t& horizon);

private:
    static Row rowOf(const gdiHorizonCatalog_t& horizon);
};
