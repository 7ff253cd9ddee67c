#include "unitcatalog.h"

#include <algorithm>
#include <cctype>

const std::vector<UnitCatalog::Unit>& UnitCatalog::units()
{
    static const std::vector<Unit> table = {
        {1, "meters", "m", Length, 1.0},
        {2, "feet", "ft", Length, 0.3048},
        {3, "decimeters", "dm", Length, 0.1},
        {4, "fathoms", "fath", Length, 1.8288},
        {5, "chains", "ch", Length, 20.1168},
        {10, "yards", "yd", Length, 0.9144},
        {11, "kilometers", "km", Length, 1000.0},
        {12, "inches", "in", Length, 0.0254},
        {13, "miles", "mi", Length, 1609.344},
        {18, "US survey yards", "ydUS", Length, 3600.0 / 3937.0},
        {19, "centimeters", "cm", Length, 0.01},
        {20, "US survey feet", "ftUS", Length, 1200.0 / 3937.0},
        {21, "millimeters", "mm", Length, 0.001},
        {347, "microseconds", "us", Time, 1.0e-6},
        {348, "milliseconds", "ms", Time, 0.001},
        {890, "seconds", "s", Time, 1.0},
        {1033, "metres", "M", Length, 1.0},
        {1089, "international feet", "FT", Length, 0.3048},
        {1090, "US feet", "usft", Length, 1200.0 / 3937.0},
        // Sonic slowness (log curves): base unit second per meter.
        {2210, "microseconds per meter", "us/m", Slowness, 1.0e-6},
        {2211, "microseconds per foot", "us/ft", Slowness, 1.0e-6 / 0.3048},
    };
    return table;
}

const std::vector<UnitCatalog::UnitType>& UnitCatalog::unitTypes()
{
    static const std::vector<UnitType> table = {
        {58, "Elevation", Length},
        {167, "Seismic Time", Time},
        {1001, "Depth", Length},
        {2004, "X/Y Coordinate", Length},
    };
    return table;
}

const UnitCatalog::Unit* UnitCatalog::unit(int id)
{
    for (const Unit& u : units())
        if (u.id == id)
            return &u;
    return nullptr;
}

const UnitCatalog::Unit* UnitCatalog::unitByName(const std::string& name)
{
    for (const Unit& u : units())
        if (name == u.name)
            return &u;
    return nullptr;
}

const UnitCatalog::Unit* UnitCatalog::unitByAbbreviation(const std::string& abbreviation)
{
    for (const Unit& u : units())
        if (abbreviation == u.abbreviation)
            return &u;
    return nullptr;
}

const UnitCatalog::UnitType* UnitCatalog::unitTypeByName(const std::string& name)
{
    const auto key = [](const std::string& text) {
        std::string result;
        for (char ch : text)
            if (std::isalnum(static_cast<unsigned char>(ch)))
                result += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return result;
    };
    for (const UnitType& t : unitTypes())
        if (key(name) == key(t.name) || name == std::to_string(t.type))
            return &t;
    return nullptr;
}

const UnitCatalog::UnitType* UnitCatalog::unitType(int type)
{
    for (const UnitType& t : unitTypes())
        if (t.type == type)
            return &t;
    return nullptr;
}

int UnitCatalog::defaultUnitFor(int unitType, int measurementSystem)
{
    const UnitType* t = UnitCatalog::unitType(unitType);
    if (!t)
        return 0;
    if (t->kind == Time)
        return 348;
    return measurementSystem == 2 ? 2 : 1;
}

bool UnitCatalog::factor(int from, int to, double* result)
{
    const Unit* a = unit(from);
    const Unit* b = unit(to);
    if (!a || !b || a->kind != b->kind)
        return false;
    *result = from == to ? 1.0 : a->toBase / b->toBase;
    return true;
}
