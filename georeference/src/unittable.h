#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

/// Host unit index: 0 to 14 are the host's units, NoUnit means no unit, not
/// supported or cancelled wherever a unit is returned.
enum HostUnit : int
{
    Meter = 0,
    Foot = 1,
    Millisecond = 2,
    Second = 3,
    Kilometer = 4,
    Millimeter = 5,
    Mile = 6,
    FootUS = 7,
    Decimeter = 8,
    Centimeter = 9,
    MileUS = 10,
    Yard = 11,
    YardUS = 12,
    Inch = 13,
    InchUS = 14,
    NoUnit = 15
};

/// One row of the host unit table.
struct UnitInfo
{
    QString name;         ///< singular display name, also the text stored in project files
    QString abbreviation; ///< short symbol
    QStringList aliases;  ///< further names accepted when a name is parsed
    double factor = 1.0;  ///< units per base unit (millisecond for times, metre for lengths)
    int kind = 0;         ///< 1 time, 2 length
    int order = 0;        ///< display order, 0 to 14
    int system = 0;       ///< 0 time, 1 metric, 2 international foot-based, 3 US survey
};

/// The process-wide, read-only table of the fifteen host units, built on first
/// use. All functions are thread-safe.
class UnitTable
{
public:
    static constexpr int UnitCount = 15;

    /// The row of a unit; null for an index outside 0..14.
    static const UnitInfo* info(int unit);

    /// Name of the unit; empty outside 0..14.
    static QString unitName(int unit);
    /// Abbreviation; empty for NoUnit and any index not in the table.
    static QString unitAbbreviation(int unit);
    /// Exact name first, then the alias map, else NoUnit (matching is case-sensitive).
    static int unitFromName(const QString& text);
    /// Units per base unit; 1.0 for NoUnit and indexes not in the table.
    static double unitFactor(int unit);
    /// 1 / factor (1.0 when the factor is 0).
    static double unitInverseFactor(int unit);
    /// True for time units and for NoUnit.
    static bool isTimeUnit(int unit);
    /// True when both units have the same isTimeUnit answer, or either is NoUnit.
    static bool areCompatible(int first, int second);

    /// All names in index order (position = host unit index).
    static const QStringList& unitNames();
    /// Every alias with its unit (an alias claimed twice keeps the last row).
    static const QHash<QString, int>& aliasMap();
    /// Length units (kind 2) in ascending display order.
    static const QList<int>& lengthUnits();
    /// Time units (kind 1) in ascending display order.
    static const QList<int>& timeUnits();

private:
    UnitTable();
    static const UnitTable& instance();

    QMap<int, UnitInfo> m_units;
    QStringList m_names;
    QHash<QString, int> m_aliases;
    QList<int> m_lengthUnits;
    QList<int> m_timeUnits;
};
