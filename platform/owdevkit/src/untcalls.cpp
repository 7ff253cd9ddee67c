// Unit and measurement-system calls of the DevKit.

#include "faultinjector.h"
#include "owsession.h"
#include "recordcatalog.h"
#include "unitcatalog.h"

#include <string>

namespace
{
OwSession& session()
{
    return OwSession::instance();
}

#define RETURN_STATUS(status) return status
#define SET_AND_RETURN(value) \
    do {                      \
        if (status)           \
            *status = value;  \
        return value;         \
    } while (0)
#define SET_AND_RETURN_TEXT(value) \
    do {                           \
        if (status)                \
            *status = value;       \
        return "";                 \
    } while (0)
#define SET_AND_RETURN_ZERO(value) \
    do {                           \
        if (status)                \
            *status = value;       \
        return 0;                  \
    } while (0)

template <typename V>
int convert(int from, int to, const int* count, V* values, int* status)
{
    double factor = 1.0;
    int result = 0;
    if (!count || (*count > 0 && !values))
        result = GDI_INVALID_ARGUMENT;
    else if (!UnitCatalog::unit(from) || !UnitCatalog::unit(to))
        result = GDI_UNKNOWN_UNIT;
    else if (!UnitCatalog::factor(from, to, &factor))
        result = GDI_INCOMPATIBLE_UNITS;
    if (result != 0) {
        session().fail(result, std::to_string(from) + " -> " + std::to_string(to));
    } else if (from != to) {
        for (int i = 0; i < *count; ++i)
            values[i] = static_cast<V>(static_cast<double>(values[i]) * factor);
    }
    if (status)
        *status = result;
    return result;
}
} // namespace

extern "C" {

int untConvert(int fromUnitId, int toUnitId, const int* count, double* values, int* status)
{
    OW_CALL("untConvert", SET_AND_RETURN);
    return convert(fromUnitId, toUnitId, count, values, status);
}

int untConvertFloats(int fromUnitId, int toUnitId, const int* count, float* values, int* status)
{
    OW_CALL("untConvertFloats", SET_AND_RETURN);
    return convert(fromUnitId, toUnitId, count, values, status);
}

int untGetUnitID(const char* name, int* status)
{
    OW_CALL("untGetUnitID", SET_AND_RETURN_ZERO);
    const UnitCatalog::Unit* unit = name ? UnitCatalog::unitByName(name) : nullptr;
    if (!unit && name)
        unit = UnitCatalog::unitByAbbreviation(name);
    const int result = unit ? 0 : session().fail(GDI_UNKNOWN_UNIT, name ? name : "");
    if (status)
        *status = result;
    return unit ? unit->id : 0;
}

int untGetAbbrID(const char* abbreviation, int* status)
{
    OW_CALL("untGetAbbrID", SET_AND_RETURN_ZERO);
    const UnitCatalog::Unit* unit = abbreviation ? UnitCatalog::unitByAbbreviation(abbreviation) : nullptr;
    if (!unit && abbreviation)
        unit = UnitCatalog::unitByName(abbreviation);
    const int result = unit ? 0 : session().fail(GDI_UNKNOWN_UNIT, abbreviation ? abbreviation : "");
    if (status)
        *status = result;
    return unit ? unit->id : 0;
}

const char* untGetUnitName(int unitId, int* status)
{
    OW_CALL("untGetUnitName", SET_AND_RETURN_TEXT);
    const UnitCatalog::Unit* unit = UnitCatalog::unit(unitId);
    const int result = unit ? 0 : session().fail(GDI_UNKNOWN_UNIT, std::to_string(unitId));
    if (status)
        *status = result;
    return unit ? unit->name : "";
}

const char* untGetUnitAbbr(int unitId, int* status)
{
    OW_CALL("untGetUnitAbbr", SET_AND_RETURN_TEXT);
    const UnitCatalog::Unit* unit = UnitCatalog::unit(unitId);
    const int result = unit ? 0 : session().fail(GDI_UNKNOWN_UNIT, std::to_string(unitId));
    if (status)
        *status = result;
    return unit ? unit->abbreviation : "";
}

const char* untGetTypeName(int unitType, int* status)
{
    OW_CALL("untGetTypeName", SET_AND_RETURN_TEXT);
    const UnitCatalog::UnitType* type = UnitCatalog::unitType(unitType);
    const int result = type ? 0 : session().fail(GDI_UNKNOWN_UNIT_TYPE, std::to_string(unitType));
    if (status)
        *status = result;
    return type ? type->name : "";
}

int gdiGetMeasSystemUnitIdForType(int selector, int unitType, int* unitId)
{
    OW_CALL("gdiGetMeasSystemUnitIdForType", RETURN_STATUS);
    if (!unitId || (selector != OW_MEAS_SESSION && selector != OW_MEAS_PROJECT))
        return session().fail(GDI_INVALID_ARGUMENT);
    *unitId = 0;
    if (!session().store())
        return session().fail(GDI_NO_PROJECT);
    if (!UnitCatalog::unitType(unitType))
        return session().fail(GDI_UNKNOWN_UNIT_TYPE, std::to_string(unitType));
    *unitId = selector == OW_MEAS_PROJECT ? session().store()->unitFor(unitType) : session().sessionUnitFor(unitType);
    return 0;
}

int gdiSetMeasSystemUnitIdForType(int unitType, int unitId)
{
    OW_CALL("gdiSetMeasSystemUnitIdForType", RETURN_STATUS);
    const UnitCatalog::UnitType* type = UnitCatalog::unitType(unitType);
    if (!type)
        return session().fail(GDI_UNKNOWN_UNIT_TYPE, std::to_string(unitType));
    const UnitCatalog::Unit* unit = UnitCatalog::unit(unitId);
    if (!unit)
        return session().fail(GDI_UNKNOWN_UNIT, std::to_string(unitId));
    if (unit->kind != type->kind)
        return session().fail(GDI_INCOMPATIBLE_UNITS, std::string(unit->name) + " for " + type->name);
    session().sessionUnits[unitType] = unitId;
    return 0;
}

int gdiGetMeasSystemUnitIdForField(int selector, int classId, int fieldId, int* unitId)
{
    OW_CALL("gdiGetMeasSystemUnitIdForField", RETURN_STATUS);
    if (!unitId || (selector != OW_MEAS_SESSION && selector != OW_MEAS_PROJECT))
        return session().fail(GDI_INVALID_ARGUMENT);
    *unitId = 0;
    if (!session().store())
        return session().fail(GDI_NO_PROJECT);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return session().fail(GDI_INVALID_CLASS, std::to_string(classId));
    const RecordCatalog::Field* f = RecordCatalog::field(*c, fieldId);
    if (!f)
        return session().fail(GDI_INVALID_FIELD, std::to_string(classId) + "/" + std::to_string(fieldId));
    if (f->unitType == 0)
        return session().fail(GDI_FIELD_HAS_NO_UNIT, std::to_string(classId) + "/" + std::to_string(fieldId));
    *unitId = session().store()->unitFor(f->unitType);
    return 0;
}

} // extern "C"
