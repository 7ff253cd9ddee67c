#pragma once
/*
 * OpenWorks DevKit interface (stand-in with the DevKit's calling conventions).
 *
 * Conventions:
 * - Calls without a trailing underscore return an int status, 0 for success.
 * - Calls with a trailing underscore (owseismic.h) take every argument by
 *   reference and return their status in an int output argument.
 * - Arrays handed out by gdiReadSet / gdiReadSubset are given back with
 *   gdiFree (or gdiRelease, which also gives back loaded vectors); vectors
 *   loaded by gdiReadVector with gdiReleaseVectors; objects of
 *   gdiCreateObject with gdiFree; lists of the prj / LGC calls with owfree;
 *   district definitions with getFreeDistrictDef.
 * - Order: owinit, gdiInit, ... gdiClose. Writes (gdiAdd, gdiUpdate,
 *   gdiDelete and the seismic / horizon creations) open a transaction that
 *   ends with gdiCommit or gdiRollback; nothing of an unfinished transaction
 *   survives the process.
 * - Every notice and error goes to the handler registered with
 *   OhnoAddErrorHandler: codes above 200000000 are errors, below notices.
 * - All calls are serialised internally; they may be made from several
 *   threads.
 *
 * Store: the OpenWorks home is $OWHOME (default $HOME/.openworks). Each
 * district is a folder of the home holding "dir.dat" (its "OTHER_FILES" line
 * names the district's data folder) and one folder per project with the
 * project's SQLite database "project.db". Seismic files live in the data
 * folder.
 */

#include "owrecords.h"
#include "owseismic.h"
#include "owunits.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Statuses shared by many calls. */
#define GDI_SUCCESS 0
#define GDI_NO_DATA 177600004        /* a read found no record: not an error */
#define GDI_NOT_INITIALIZED 277600001
#define GDI_NO_PROJECT 277600002
#define GDI_INVALID_CLASS 277600003
#define GDI_KEY_NOT_SET 277600006
#define GDI_INVALID_ARGUMENT 277600007
#define GDI_DATABASE_ERROR 277600008
#define GDI_NO_TRANSACTION 277600009
#define GDI_COMMIT_FAILED 277600010
#define GDI_UNKNOWN_UNIT 277600011
#define GDI_INCOMPATIBLE_UNITS 277600012
#define GDI_UNKNOWN_UNIT_TYPE 277600013
#define GDI_INVALID_FIELD 277600014
#define GDI_FIELD_HAS_NO_UNIT 277600015
#define GDI_NOT_A_SUBSET 277600016
#define GDI_RECORD_NOT_FOUND 277600017
#define GDI_DUPLICATE 277600018      /* 0x108BD712: a record with this key exists */

#define PRJ_ALREADY_OPEN 117700701
#define PRJ_DOES_NOT_EXIST 217700701
#define PRJ_INVALID_ARGUMENT 217700798
#define PRJ_NO_ACTIVE_PROJECT 217700204
#define LGC_NO_DISTRICT 217800001
#define LGC_DISTRICT_NOT_FOUND 217800002
#define OW_HOME_UNUSABLE 317700001

/* Message handler: *code and a text; called on the calling thread. */
typedef void (*OhnoErrorHandler)(int* code, const char* text);

/* Start. owinit checks (and creates when missing) the OpenWorks home. */
int owinit(void);
int gdiInit(void);
/* Ends the session: rolls back an open transaction, closes the project. */
int gdiClose(void);
/* Registers the message handler, replacing the previous one (null: none). */
int OhnoAddErrorHandler(OhnoErrorHandler handler);
/* Text of any status the stand-in returns (static, never null; "" for 0). */
const char* gdiErrorMessage(int status);
/* Gives back memory handed out by the prj / LGC calls. */
void owfree(void* pointer);

/* Districts. */
typedef struct lgcDistrictDef lgcDistrictDef;
/* The district definition of the home (every district folder found). */
int lgc_getdistrict(lgcDistrictDef** definition);
/* *names: null-terminated array of district names, owned by the definition. */
int getFindDistrictList(lgcDistrictDef* definition, char*** names);
int getFreeDistrictDef(lgcDistrictDef* definition);
/* Folder of a district into path (pathSize bytes). */
int lgcGetPathFromDistrict(const char* district, char* path, int pathSize);
/* The system district (district of prjGetPrjs / prjOpen); "" when none.
 * Starts from $OWSIM_DISTRICT, else the home's "sysdistrict" file. */
int prjGetSysDistrict(char* district, int districtSize);
int prjSetSysDistrict(const char* district);

/* Projects of the system district: *names is an owfree'd array of *count
 * records of 21 bytes (zero-terminated names). Returns *status. */
int prjGetPrjs(char** names, int* count, int* status);
/* Opens a project of the system district (option 0). Statuses: 117700701
 * already open, 217700701 does not exist, 217700798 invalid argument,
 * 317707123 database unusable. Returns *status. */
int prjOpen(const char* name, int option, int* status);
/* Closes the open project (rolling back an open transaction); 0 also when
 * none is open. */
int prjClose(void);
/* The open project; 217700204 when none. */
int prjGetActive(prjProject_t* project);
/* Interpreters of a project: *list is an owfree'd array of *count entries of
 * 6 bytes (5 characters and a zero). */
int prjGetIntrps(char** list, int* count, const prjProject_t* project);

/* Records. */
/* Clears count records of a class (buffer of count * record size bytes) and
 * any key flags set on them. */
int gdiInitiateObject(int classId, int count, void* buffer);
/* Marks a field of a record as the key of the next query by example
 * (gdiReadSubset of a class on itself). */
int gdiSetKeyFlag(int classId, int fieldId, void* record);
/* Reads the record whose key fields equal those set (non-zero, non-empty) in
 * record, into record. GDI_NO_DATA when none, GDI_KEY_NOT_SET when no key is
 * set. Vector pointers come back null. */
int gdiRead(int classId, void* record);
/* Every record of a class (in the order added). 177600004 with *count 0 and
 * *list null when there is none. */
int gdiReadSet(int classId, int* count, void** list);
/* Records of subsetClass belonging to record: 574 -> 1184, 502 -> 823
 * (through 503), 823 -> 11, 503, 600, 601, 603, 610, 796 -> 791, 338 -> 796,
 * 445 -> 1176, 575 -> 576, 610 -> 576, 304 -> 11; a class on itself is a
 * query by example on the key-flagged fields (else every set key field). */
int gdiReadSubset(int classId, const void* record, int subsetClass, int* count, void** list);
int gdiCountSubset(int classId, const void* record, int subsetClass, int* count);
/* Loads the vector fields of one record for which gdiSetVectorAccess enabled
 * access (every vector field of the class when none is enabled); pointers
 * already loaded are given back first. GDI_NO_DATA when the record is gone. */
int gdiReadVector(int classId, void* record);
int gdiSetVectorAccess(int classId, int fieldId, int enabled);
/* Gives back the vectors that gdiReadVector loaded into count records
 * (pointers set to null). Never call it on pointers set by the caller. */
int gdiReleaseVectors(int classId, int count, void* records);
/* Gives back a set or subset list and the vectors loaded in it. */
int gdiRelease(int classId, int count, void* list);
int gdiFree(void* pointer);
/* 1 when a record with the key fields set in record exists, else 0. */
int gdiExists(int classId, const void* record);
/* Size, name and field count of a class (info may be null). */
int gdiGetClassInfo(int classId, gdiClassInfo_t* info);
/* A new zeroed object of count records, given back with gdiFree. */
void* gdiCreateObject(int classId, int count);

/* Writes (inside the open transaction). gdiAdd assigns the record's id and
 * stores the vectors its pointers give; 277600018 when a record with the same
 * key exists (3D survey of that name, well of that key, ...). */
int gdiAdd(int classId, void* record);
/* Replaces the record with the same id (or key). */
int gdiUpdate(int classId, void* record);
/* Deletes the record with the same id (or key) and what hangs off it. */
int gdiDelete(int classId, void* record);
int gdiCommit(void);
int gdiRollback(void);

#ifdef __cplusplus
}
#endif
