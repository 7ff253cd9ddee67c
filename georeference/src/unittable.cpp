#include "unittable.h"

#include <algorithm>

UnitTable::UnitTable()
{
    struct Row
    {
        int index;
        const char* name;
        const char* abbreviation;
        QStringList aliases;
        double factor;
        int kind;
        int order;
        int system;
    };
    const Row rows[] = {
        {Meter, "Meter", "m", {"Meters"}, 1.0, 2, 3, 1},
        {Foot, "Foot", "ft", {"Feet", "ft"}, 3.280839895013123, 2, 7, 2},
        {Millisecond, "Millisecond", "ms", {"Milliseconds"}, 1.0, 1, 1, 0},
        {Second, "Second", "s", {"Seconds"}, 0.001, 1, 0, 0},
        {Kilometer, "Kilometer", "km", {"Kilometers"}, 0.001, 2, 2, 1},
        {Millimeter, "Millimeter", "mm", {"Millimeters"}, 1000.0, 2, 6, 1},
        {Mile, "Mile", "mi", {"Miles"}, 0.0006213711922373339, 2, 9, 2},
        {FootUS, "Foot US", "ftUS", {}, 3.2808333333333337, 2, 8, 3},
        {Decimeter, "Decimeter", "dm", {"Decimeter"}, 10.0, 2, 4, 1},
        {Centimeter, "Centimeter", "cm", {"Centimeter"}, 100.0, 2, 5, 1},
        {MileUS, "Mile US", "miUS", {"Miles US"}, 0.0006213699567128834, 2, 10, 3},
        {Yard, "Yard", "yd", {}, 1.0936132983377078, 2, 11, 2},
        {YardUS, "Yard US", "ydUS", {}, 1.093611111111111, 2, 12, 3},
        {Inch, "Inch", "inch", {}, 39.37007874015748, 2, 13, 2},
        {InchUS, "Inch US", "inchUS", {}, 39.37, 2, 14, 3},
    };
    for (const Row& row : rows) {
        UnitInfo info;
        info.name = QString::fromLatin1(row.name);
        info.abbreviation = QString::fromLatin1(row.abbreviation);
        info.aliases = row.aliases;
        info.factor = row.factor;
        info.kind = row.kind;
        info.order = row.order;
        info.system = row.system;
        m_units.insert(row.index, info);
    }

    for (auto it = m_units.cbegin(); it != m_units.cend(); ++it) {
        m_names.append(it->name);
        for (const QString& alias : it->aliases)
            m_aliases.insert(alias, it.key());
        if (it->kind == 2)
            m_lengthUnits.append(it.key());
        else if (it->kind == 1)
            m_timeUnits.append(it.key());
    }
    const auto byOrder = [this](int a, int b) { return m_units.value(a).order < m_units.value(b).order; };
    std::sort(m_lengthUnits.begin(), m_lengthUnits.end(), byOrder);
    std::sort(m_timeUnits.begin(), m_timeUnits.end(), byOrder);
}

const UnitTable& UnitTable::instance()
{
    static const UnitTable table;
    return table;
}

const UnitInfo* UnitTable::info(int unit)
{
    const UnitTable& table = instance();
    const auto it = table.m_units.constFind(unit);
    return it == table.m_units.cend() ? nullptr : &it.value();
}

QString UnitTable::unitName(int unit)
{
    const UnitInfo* row = info(unit);
    return row ? row->name : QString();
}

QString UnitTable::unitAbbreviation(int unit)
{
    const UnitInfo* row = info(unit);
    return row ? row->abbreviation : QString();
}

int UnitTable::unitFromName(const QString& text)
{
    const UnitTable& table = instance();
    const int position = table.m_names.indexOf(text);
    if (position >= 0 && !text.isEmpty())
        return position;
    return table.m_aliases.value(text, NoUnit);
}

double UnitTable::unitFactor(int unit)
{
    const UnitInfo* row = info(unit);
    return row ? row->factor : 1.0;
}

double UnitTable::unitInverseFactor(int unit)
{
    const double factor = unitFactor(unit);
    return factor == 0.0 ? 1.0 : 1.0 / factor;
}

bool UnitTable::isTimeUnit(int unit)
{
    if (unit == NoUnit)
        return true;
    const UnitInfo* row = info(unit);
    return row && row->kind == 1;
}

bool UnitTable::areCompatible(int first, int second)
{
    if (first == NoUnit || second == NoUnit)
        return true;
    return isTimeUnit(first) == isTimeUnit(second);
}

const QStringList& UnitTable::unitNames()
{
    return instance().m_names;
}

const QHash<QString, int>& UnitTable::aliasMap()
{
    return instance().m_aliases;
}

const QList<int>& UnitTable::lengthUnits()
{
    return instance().m_lengthUnits;
}

const QList<int>& UnitTable::timeUnits()
{
    return instance().m_timeUnits;
}
