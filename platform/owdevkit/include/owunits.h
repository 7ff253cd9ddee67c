#pragma once
/*
 * OpenWorks DevKit unit catalogue and measurement-system calls.
 *
 * Unit ids: 1 meters, 2 feet, 3 decimeters, 4 fathoms, 5 chains, 10 yards,
 * 11 kilometers, 12 inches, 13 miles, 18 US survey yards, 19 centimeters,
 * 20 US survey feet, 21 millimeters, 347 microseconds, 348 milliseconds,
 * 890 seconds, 1033 metres (alternate metre id), 1089 international feet,
 * 1090 US feet, 2210 microseconds per meter ("us/m"), 2211 microseconds per
 * foot ("us/ft").
 * Unit types: 58 elevation, 167 seismic time, 1001 depth, 2004 X/Y coordinate.
 *
 * Texts returned by the untGet* calls are static: never free them. An unknown
 * id gives an empty text and a non-zero status.
 */

#ifdef __cplusplus
extern "C" {
#endif

enum
{
    OW_UNIT_METERS = 1,
    OW_UNIT_FEET = 2,
    OW_UNIT_DECIMETERS = 3,
    OW_UNIT_FATHOMS = 4,
    OW_UNIT_CHAINS = 5,
    OW_UNIT_YARDS = 10,
    OW_UNIT_KILOMETERS = 11,
    OW_UNIT_INCHES = 12,
    OW_UNIT_MILES = 13,
    OW_UNIT_US_YARDS = 18,
    OW_UNIT_CENTIMETERS = 19,
    OW_UNIT_US_SURVEY_FEET = 20,
    OW_UNIT_MILLIMETERS = 21,
    OW_UNIT_MICROSECONDS = 347,
    OW_UNIT_MILLISECONDS = 348,
    OW_UNIT_SECONDS = 890,
    OW_UNIT_METRES = 1033,
    OW_UNIT_INTERNATIONAL_FEET = 1089,
    OW_UNIT_US_FEET = 1090
};

enum
{
    OW_UNIT_TYPE_ELEVATION = 58,
    OW_UNIT_TYPE_SEISMIC_TIME = 167,
    OW_UNIT_TYPE_DEPTH = 1001,
    OW_UNIT_TYPE_XY = 2004
};

/* Measurement-system selectors of the gdi*MeasSystem* calls. */
enum
{
    OW_MEAS_SESSION = 1, /* units of values handed over in this session */
    OW_MEAS_PROJECT = 2  /* units the project stores */
};

/* Converts *count doubles in place; *status 0 on success, non-zero for an
 * unknown unit or units of different kinds (values left unchanged).
 * Returns *status. */
int untConvert(int fromUnitId, int toUnitId, const int* count, double* values, int* status);
/* The same for 32-bit floats (computed in double precision). */
int untConvertFloats(int fromUnitId, int toUnitId, const int* count, float* values, int* status);

/* Unit id of a unit name ("meters") or, failing that, of an abbreviation.
 * Returns 0 with a non-zero *status when unknown. */
int untGetUnitID(const char* name, int* status);
/* Unit id of an abbreviation ("m", "ft", "ms") or, failing that, of a name. */
int untGetAbbrID(const char* abbreviation, int* status);
const char* untGetUnitName(int unitId, int* status);
const char* untGetUnitAbbr(int unitId, int* status);
const char* untGetTypeName(int unitType, int* status);

/* The unit used for a unit type. Selector 2 (OW_MEAS_PROJECT): the unit the
 * open project stores (chosen when the project was created: metric or feet,
 * or any unit of the type's kind per unit type).
 * Selector 1 (OW_MEAS_SESSION): the unit of values exchanged through the
 * horizon calls; the project unit unless gdiSetMeasSystemUnitIdForType set
 * another since the horizon subsystem was last closed. Needs an open project. */
int gdiGetMeasSystemUnitIdForType(int selector, int unitType, int* unitId);
/* Declares the unit of horizon values (hrzrw_, hrzhdr_plus_) of a unit type
 * until the next hrzcls_. */
int gdiSetMeasSystemUnitIdForType(int unitType, int unitId);
/* The unit in which a field of a data class is stored (always the project's
 * unit of the field's unit type; both selectors give the same answer).
 * A field without a unit gives a non-zero status. */
int gdiGetMeasSystemUnitIdForField(int selector, int classId, int fieldId, int* unitId);

#ifdef __cplusplus
}
#endif
