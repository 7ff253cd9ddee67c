#pragma once

#include <string>
#include <vector>

/// The OpenWorks unit catalogue: unit ids with names, abbreviations, kinds
/// and exact factors to the SI base unit, and the unit types.
class UnitCatalog
{
public:
    enum Kind
    {
        Length = 1,
        Time = 2,
        Slowness = 3
    };

    struct Unit
    {
        int id;
        const char* name;
        const char* abbreviation;
        Kind kind;
        double toBase; // base unit: meter, second, or second per meter
    };

    struct UnitType
    {
        int type;
        const char* name;
        Kind kind;
    };

    static const Unit* unit(int id);
    static const Unit* unitByName(const std::string& name);
    static const Unit* unitByAbbreviation(const std::string& abbreviation);
    static const UnitType* unitType(int type);
    /// A unit type by its number ("167") or name ("Seismic Time"; case,
    /// spaces and punctuation ignored: "seismic-time").
    static const UnitType* unitTypeByName(const std::string& name);
    static const std::vector<Unit>& units();
    static const std::vector<UnitType>& unitTypes();

    /// Project unit of a unit type for a measurement system (1 metric, 2 feet).
    static int defaultUnitFor(int unitType, int measurementSystem);

    /// Factor that converts values of unit from into unit to; false when
    /// either is unknown or their kinds differ.
    static bool factor(int from, int to, double* result);
};
