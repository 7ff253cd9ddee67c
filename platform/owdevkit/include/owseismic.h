#pragma once
/*
 * OpenWorks DevKit 3D seismic and horizon calls. Every argument is passed by
 * reference and the status comes back in an int output argument (0 success).
 *
 * Call order: prjin2_ opens the 3D project of one survey of the open OpenWorks
 * project (the "current survey"); the dm3d*, hrz*, srvbnd_, intorw_ and
 * rwtoin_ calls work on it; prjend_ ends it. Samples are numbered from 1.
 *
 * Grid coordinates (control block, dm3dnx_, dm3dtr_; reads and writes alike)
 * are the survey's own grid, not line and trace numbers:
 * - grid y counts lines from the survey's first line: y = 1 is the survey's
 *   first line (which may be the larger number), y = 2 the next line towards
 *   its last line; grid x counts traces from the survey's first trace the
 *   same way;
 * - in a survey whose orientation keyword is not "TRACE" the two exchange:
 *   grid x counts lines and grid y counts traces.
 * Neighbouring grid values are neighbouring lines or traces of the survey:
 * the step is (last - first) / (count - 1) of its record (or, without
 * counts, its increment), so lines 100, 102, 104 are y = 1, 2, 3. A data set
 * covers a range of the grid: its control block gives it (first <= last).
 * So a reader that walks grid y outermost for "TRACE" surveys (grid x
 * outermost otherwise) meets the lines in the survey's order, and within a
 * line the traces in the survey's order.
 *
 * Seismic files are SEG-Y rev 1 files (format 5, IEEE floats, big-endian):
 * lines in ascending line number and, in each line, traces in ascending
 * trace number, covering the data set's grid; trace headers hold the line
 * number (inline, byte 189), the trace number (crossline, byte 193), CDP X/Y
 * (181/185, scalar at 71: coordinates in the project's X/Y unit), the sample
 * count (115) and interval (117, microseconds; thousandths of the length unit
 * in depth), the delay (109, with its scalar at 215 when it is not a whole
 * number of milliseconds or does not fit 16 bits) and the trace
 * identification code (29: 1 written, 0 never written = absent, so files may
 * be sparse). More than 65535 samples: rev 2 with the extended count.
 */

#include <stdint.h>

#ifdef __cplusplus
#include <cstddef>
extern "C" {
#endif

/* The seismic file control block (320 bytes). dm3d_crt_ds_ takes the grid
 * range and vertical fields from the caller; dm3dop_ fills the whole block
 * (modes 1 and 3) from the data set record. */
typedef struct dm3dControlBlock_t
{
    int32_t handle;          /* 0   open-file handle (set by dm3dop_) */
    int32_t mode;            /* 4   1 read, 3 write */
    int32_t firstX;          /* 8   first grid x of the data set (word 2) */
    int32_t lastX;           /* 12  last grid x (word 3) */
    int32_t firstY;          /* 16  first grid y */
    int32_t lastY;           /* 20  last grid y */
    int32_t firstSample;     /* 24  1 */
    int32_t lastSample;      /* 28  = samplesPerTrace */
    int32_t samplesPerTrace; /* 32  when 0 on create: (end - start) / interval */
    float verticalStart;     /* 36  first sample's time (ms) or depth */
    float verticalEnd;       /* 40  verticalStart + samples * interval */
    float sampleInterval;    /* 44 */
    int32_t domain;          /* 48  1 time, 2 depth */
    int32_t constants[3];    /* 52  1, 1, 0 */
    int32_t dataSetId;       /* 64  class-1184 id of the file (set by dm3dop_) */
    int32_t surveyId;        /* 68  class-574 id (set by dm3dop_) */
    int32_t traceCount;      /* 72  lastX - firstX + 1 (grid x values) */
    int32_t lineCount;       /* 76  lastY - firstY + 1 (grid y values) */
    float dataMin;           /* 80  smallest value written so far (mode 3) */
    float dataMax;           /* 84  largest value written so far (mode 3) */
    char reserved[232];
} dm3dControlBlock_t;

#ifdef __cplusplus
static_assert(sizeof(dm3dControlBlock_t) == 320, "dm3dControlBlock_t is 320 bytes");
static_assert(offsetof(dm3dControlBlock_t, firstX) == 8, "word 2");
static_assert(offsetof(dm3dControlBlock_t, lastX) == 12, "word 3");
#endif

/* Size in bytes of the work buffer handed to dm3dnx_. */
#define DM3D_WORK_BUFFER_SIZE 4096
/* Size of the file-name buffers of dm3d_crt_ds_ and dm3dgetnamefromkeys_. */
#define DM3D_FILE_NAME_SIZE 257

/* *projectType: 3 (3D) in and out. Status: 0; 1 survey not found; 3 invalid
 * project type; 4 no open OpenWorks project. nameLength: bytes of surveyName
 * to use (0 or negative: up to the terminating zero). */
void prjin2_(int* status, int* projectType, const char* surveyName, const int* nameLength);
/* Ends the current survey's 3D project (closing files and horizon subsystem
 * left open). The two arguments are accepted and ignored (3 and 0). */
void prjend_(const int* projectType, const int* option);

/* Opens a seismic file (name relative to the district data folder, or
 * absolute) and fills the control block, the grid range in the survey's grid
 * convention above. Mode 1 read, 3 write (the file must exist: dm3d_crt_ds_).
 * Status: 0; 3 no disk space; 4 a vertical start below -32767; 5 invalid mode;
 * 6 file does not exist; 8 invalid file name (or a file that does not match
 * its data set); 11 write permission denied. */
void dm3dop_(const char* fileName, void* controlBlock, const int* mode, int* status);
/* Checks the open file against the current survey: 0 extents match (the data
 * set belongs to it and its grid range lies inside the survey's grid); 2 they
 * do not; 3 no current survey or file not open. */
void dm3dpf_(void* controlBlock, const int* projectType, int* status);
/* Prepares for grid x in [*firstX, *lastX] (inside the control block's
 * range). *option 2, *step 1; workBuffer: DM3D_WORK_BUFFER_SIZE bytes, unused.
 * Status 0, or 3. */
void dm3dnx_(void* controlBlock, const int* option, const int* firstX, const int* lastX, const int* step,
             void* workBuffer, int* status);
/* Reads (file opened in mode 1) or writes (mode 3) samples [*firstSample,
 * *lastSample] of the trace at grid (*gridX, *gridY) into / from trace. Writing
 * part of a trace keeps its other samples. *step 1,
 * *option 0, *scale 0.0 (no scaling). Status: 0; 1 no data there (trace
 * filled with 0); 2 samples outside the file; 3 grid position outside the
 * file; 4 firstSample > lastSample; 9 file not open or I/O failure.
 * *flags receives 0 for a live trace, 1 for an absent one. Reads come from
 * the file mapped once by dm3dop_; writes collect the traces of the current
 * line and write them with one system call when a trace of another line is
 * written, at dm3dcl_, at gdiCommit and at prjend_. */
void dm3dtr_(void* controlBlock, const int* gridX, const int* gridY, const int* firstSample, const int* lastSample,
             const int* step, const int* option, float* trace, const float* scale, int* status, int* flags);
/* Closes the file: mode 3 writes the pending line first (status 9 when that
 * fails) and records the value range in the data set record when a
 * transaction is open (never opening one). *option 0. */
void dm3dcl_(void* controlBlock, const int* option, int* status);

/* Creates a data set of the current survey: a class-1184 record (name,
 * version, the line and trace ranges of the control block's grid range, the
 * vertical fields: start and interval in the project's unit of the domain,
 * samplesPerTrace or else (verticalEnd - verticalStart) / sampleInterval
 * samples) added inside the open transaction, and an empty SEG-Y file of that
 * grid in the district data folder (removed again by gdiRollback; a failed
 * creation leaves neither). fileName (DM3D_FILE_NAME_SIZE bytes) receives its
 * name. Status: 0; 1 the record could not be added (a data set of that name
 * exists); 2 the record could not be updated; 3 no current survey; 4 invalid
 * grid (empty, outside the survey's grid, not 1..1000000 samples, or a file
 * beyond 64 TiB); 5 the file could not be created. */
void dm3d_crt_ds_(const char* dataSetName, const char* version, void* controlBlock, char* fileName, int* status);
/* Deletes a data set: its class-1184 record in the open transaction, and its
 * file when that transaction commits (at once, without writing what was
 * pending, if it is open). Status 0, or 6 when no such data set exists. */
void dm3ddl_(const char* fileName, int* status);
/* Fills record (a gdiSeismicDataSet_t) with the data set of a file. Status 0,
 * or 6 when none. */
void dm3dgetGdiStruct_(const char* fileName, void* record, int* status);
/* Gives the file name of the data set of that name and version in the current
 * survey. Status 0 when it exists, 6 when not, 3 without a current survey. */
void dm3dgetnamefromkeys_(const char* dataSetName, const char* version, char* fileName, int* status);

/* The current survey's line and trace ranges, each ascending (first <= last). */
void srvbnd_(const int* projectType, int* firstLine, int* firstTrace, int* lastLine, int* lastTrace, int* status);
/* Opens the horizon subsystem on the current survey (named again by
 * surveyName) for the given window; missing nodes read back as *nullValue.
 * *handle receives 1. Status 0; 2 no current survey or another name. */
void hrzopn_(int* status, const char* surveyName, const int* firstLine, const int* lastLine, const int* firstTrace,
             const int* lastTrace, const float* nullValue, int* handle);
/* Closes the horizon subsystem; resets the session units of horizon values. */
void hrzcls_(int* status);
/* Reads (*mode 1) or writes (*mode 0) a line/trace window of the grid of
 * horizon *gridId in the current survey. buffer: rows of *rowLength floats
 * from *firstLine, trace index fastest. Status: 0; 1 invalid identifier (no
 * such horizon); 2 subsystem not open; 3 read or write error; 4 region not
 * entirely in the survey; 5 unable to create the grid. Writing a value equal
 * to the null value, 1.0e37 or NaN clears the node. */
void hrzrw_(const int* gridId, const int* mode, int* status, const int* firstLine, const int* lastLine,
            const int* firstTrace, const int* lastTrace, float* buffer, const int* rowLength);
/* Creates a new horizon in the current survey (a class-445 and a class-1176
 * record, inside the open transaction). *option 1. */
void hrzcrt_(const int* option, int* horizonId, int* status);
/* Deletes a horizon made by hrzcrt_ (records and grids, in the transaction). */
void hrzdel_(const int* horizonId, int* status);
/* Sets the header of a horizon: name, interpreter, attribute ("%1_STRUCTURE"
 * with TIME or DEPTH gives the domain), version, and the data range (in the
 * session unit of the domain). *option 2, *flag 1, block: 12 bytes, unused. */
void hrzhdr_plus_(const int* horizonId, const int* option, const char* name, const char* interpreter,
                  const char* attribute, const char* version, const int* flag, const float* dataMin,
                  const float* dataMax, const void* block, int* status);

/* Map position of a (line, trace) of the current survey, in the project's X/Y
 * unit: the affine map defined by the survey's corners. *option 1. */
void intorw_(const int* option, const float* line, const float* trace, double* x, double* y, int* status);
/* Inverse of intorw_: fractional line and trace numbers of a map position. */
void rwtoin_(const int* option, const double* x, const double* y, double* line, double* trace, int* status);

#ifdef __cplusplus
}
#endif
