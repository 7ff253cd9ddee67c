#pragma once
/*
 * OpenWorks DevKit data records.
 *
 * One plain C struct per numbered data class. Every buffer handed to the
 * record calls (gdiInitiateObject, gdiRead, gdiAdd, ...) is one of these.
 * Texts are zero-terminated 8-bit strings cut to their field size less one.
 * Vector fields are pointers owned by the DevKit after gdiReadVector (give
 * them back with gdiReleaseVectors); for gdiAdd / gdiUpdate the caller points
 * them at its own arrays (count in the record's count field) and keeps them.
 *
 * Field ids (used by gdiSetKeyFlag, gdiSetVectorAccess and
 * gdiGetMeasSystemUnitIdForField) are given after each member as "f<n>".
 */

#include <stdint.h>

#ifdef __cplusplus
#include <cstddef>
#define OW_LAYOUT(type, member, offset) static_assert(offsetof(type, member) == (offset), #type "." #member)
#define OW_SIZE(type, size) static_assert(sizeof(type) == (size), "sizeof " #type)
#else
#define OW_LAYOUT(type, member, offset)
#define OW_SIZE(type, size)
#endif

/* Data class numbers. */
enum
{
    GDI_CLASS_SURFACE_PICK = 11,
    GDI_CLASS_SURFACE = 304,
    GDI_CLASS_HORIZON_PARAMS = 309,
    GDI_CLASS_FAULT = 338,
    GDI_CLASS_HORIZON_CATALOG = 445,
    GDI_CLASS_FAULT_TRACE = 452,
    GDI_CLASS_WELL_LIST = 502,
    GDI_CLASS_WELL_LIST_MEMBER = 503,
    GDI_CLASS_3D_SURVEY = 574,
    GDI_CLASS_LOG_CURVE_LIST = 575,
    GDI_CLASS_LOG_CURVE_LIST_MEMBER = 576,
    GDI_CLASS_POSITION_LOG = 600,
    GDI_CLASS_TIME_DEPTH_TABLE = 601,
    GDI_CLASS_PREFERRED_TIME_DEPTH = 603,
    GDI_CLASS_LOG_CURVE = 610,
    GDI_CLASS_FAULT_SEGMENT = 791,
    GDI_CLASS_FAULT_PLANE = 796,
    GDI_CLASS_LOG_CURVE_DATA = 802,
    GDI_CLASS_WELL = 823,
    GDI_CLASS_HORIZON_DATA = 1176,
    GDI_CLASS_SEISMIC_DATA_SET = 1184
};

/* Class 11: a surface pick of a well (subset of 823 by well key). */
typedef struct gdiSurfacePick_t
{
    char wellKey[32];       /* 0    f0 key */
    char surfaceName[41];   /* 32   f1 key */
    char interpreter[6];    /* 73   f2 key (second key) */
    char reserved0[1];
    int32_t id;             /* 80   f3 assigned by gdiAdd */
    int32_t reserved1;
    float bottomDepth;      /* 88   f4 depth (unit type 1001) */
    float topDepth;         /* 92   f5 depth (unit type 1001) */
    char depthUnit[13];     /* 96   f6 */
    char stratColumn[41];   /* 109  f7 */
    char reserved2[974];
} gdiSurfacePick_t;
OW_LAYOUT(gdiSurfacePick_t, surfaceName, 32);
OW_LAYOUT(gdiSurfacePick_t, interpreter, 73);
OW_LAYOUT(gdiSurfacePick_t, bottomDepth, 88);
OW_LAYOUT(gdiSurfacePick_t, topDepth, 92);
OW_SIZE(gdiSurfacePick_t, 1124);

/* Class 304: a surface (the catalogue of surface picks). */
typedef struct gdiSurface_t
{
    int32_t id;             /* 0    f0 assigned */
    char stratColumn[41];   /* 4    f1 key */
    char name[41];          /* 45   f2 key */
    char interpreter[6];    /* 86   f3 key */
    char surfaceType[13];   /* 92   f4 */
    char reserved0[3];
    int32_t wellCount;      /* 108  f5 */
    double age;             /* 112  f6 */
    char createDate[26];    /* 120  f7 */
    char reserved1[2];
    int32_t red;            /* 148  f8 */
    int32_t green;          /* 152  f9 */
    int32_t blue;           /* 156  f10 */
    char reserved2[40];
} gdiSurface_t;
OW_LAYOUT(gdiSurface_t, stratColumn, 4);
OW_LAYOUT(gdiSurface_t, name, 45);
OW_LAYOUT(gdiSurface_t, red, 148);
OW_SIZE(gdiSurface_t, 200);

/* Class 309: horizon parameters (colour and age of a surface). */
typedef struct gdiHorizonParams_t
{
    char name[41];          /* 0    f0 key: surface (pick) name */
    char interpreter[6];    /* 41   f1 key: second key */
    char reserved0[1];
    int32_t red;            /* 48   f2 */
    int32_t green;          /* 52   f3 */
    int32_t blue;           /* 56   f4 */
    int32_t id;             /* 60   f5 assigned */
    double age;             /* 64   f6 */
    char stratColumn[41];   /* 72   f7 */
    char reserved1[15];
} gdiHorizonParams_t;
OW_LAYOUT(gdiHorizonParams_t, interpreter, 41);
OW_LAYOUT(gdiHorizonParams_t, red, 48);
OW_LAYOUT(gdiHorizonParams_t, age, 64);
OW_SIZE(gdiHorizonParams_t, 128);

/* Class 338: a fault. */
typedef struct gdiFault_t
{
    int32_t id;             /* 0    f0 key, assigned */
    char name[51];          /* 4    f1 key */
    char interpreter[6];    /* 55   f2 */
    char createDate[26];    /* 61   f3 */
    char reserved0[41];
} gdiFault_t;
OW_LAYOUT(gdiFault_t, name, 4);
OW_SIZE(gdiFault_t, 128);

/* Class 445: horizon attribute catalogue (one per horizon and attribute). */
typedef struct gdiHorizonCatalog_t
{
    int32_t id;             /* 0    f0 key: the horizon id (hrzcrt_) */
    char name[81];          /* 4    f1 */
    char version[13];       /* 85   f2 */
    char interpreter[6];    /* 98   f3 */
    char onset[13];         /* 104  f4 */
    char status[13];        /* 117  f5 */
    char horizonClass[13];  /* 130  f6 */
    char createDate[26];    /* 143  f7 */
    char updateDate[26];    /* 169  f8 */
    char remark[72];        /* 195  f9 */
    char attribute[41];     /* 267  f10 key */
    char reserved0[4];
    double dataMin;         /* 312  f11 */
    double dataMax;         /* 320  f12 */
    char reserved1[132];
    char domain[13];        /* 460  f13 "TIME" or "DEPTH" */
    char reserved2[47];
} gdiHorizonCatalog_t;
OW_LAYOUT(gdiHorizonCatalog_t, name, 4);
OW_LAYOUT(gdiHorizonCatalog_t, attribute, 267);
OW_LAYOUT(gdiHorizonCatalog_t, domain, 460);
OW_SIZE(gdiHorizonCatalog_t, 520);

/* Class 452: fault trace (map trace of a fault; vector fields 28 and 29). */
typedef struct gdiFaultTrace_t
{
    int32_t id;             /* 0    f0 assigned */
    int32_t faultId;        /* 4    f1 key */
    char name[51];          /* 8    f2 */
    char reserved0[5];
    int32_t pointCount;     /* 64   f3 */
    int32_t reserved1;
    double* xy;             /* 72   f28 vector: 2 doubles per point */
    double* z;              /* 80   f29 vector: 1 double per point */
} gdiFaultTrace_t;
OW_LAYOUT(gdiFaultTrace_t, xy, 72);
OW_SIZE(gdiFaultTrace_t, 88);

/* Class 502: well list. */
typedef struct gdiWellList_t
{
    int32_t id;             /* 0    f0 assigned */
    char name[81];          /* 4    f1 key */
    char listType[16];      /* 85   f2 "WELL_LIST" */
    char interpreter[6];    /* 101  f3 */
    char remark[81];        /* 107  f4 */
    char createDate[26];    /* 188  f5 */
    char reserved0[58];
} gdiWellList_t;
OW_LAYOUT(gdiWellList_t, name, 4);
OW_LAYOUT(gdiWellList_t, listType, 85);
OW_LAYOUT(gdiWellList_t, interpreter, 101);
OW_SIZE(gdiWellList_t, 272);

/* Class 503: membership of a well in a well list. gdiAdd resolves
 * wellListName to wellListId when the id is 0. */
typedef struct gdiWellListMember_t
{
    int32_t id;             /* 0    f0 assigned */
    int32_t wellListId;     /* 4    f1 key */
    char wellKey[32];       /* 8    f2 key */
    char wellListName[81];  /* 40   f3 */
    char reserved0[3];
} gdiWellListMember_t;
OW_SIZE(gdiWellListMember_t, 124);

/* Class 574: 3D seismic survey. corner[i] is field 20 + i: x, y of the
 * corner at (first line, first trace) [20, 21], at (last line, first trace)
 * [22, 23], the fourth corner [24, 25], at (first line, last trace) [26, 27]
 * for orientation "TRACE"; for any other orientation the corners of fields
 * 22/23 and 26/27 exchange roles. Coordinates are in the project's X/Y unit. */
typedef struct gdi3dSurvey_t
{
    int32_t id;             /* 0    f0 key, assigned */
    char name[41];          /* 4    f1 key */
    char interpreter[6];    /* 45   f2 */
    char reserved0[17];
    int32_t traceCount;     /* 68   f3 */
    int32_t lineCount;      /* 72   f4 */
    int32_t projectId;      /* 76   f5 (prjProject_t.id) */
    double firstLine;       /* 80   f6 */
    double firstTrace;      /* 88   f7 */
    double lastLine;        /* 96   f8 */
    double lastTrace;       /* 104  f9 */
    char orientation[13];   /* 112  f10 "TRACE" or "LINE" */
    char reserved1[3];
    /* 128 f11..f18: origin x, origin y, x and y step per trace, x and y step
     * per line, trace spacing, line spacing (filled by gdiAdd / gdiUpdate
     * from the corners when all eight are 0). */
    double transform[8];
    double corner[8];       /* 192  f20..f27 */
    char displayName[41];   /* 256  f28 */
    char verticalUnit[12];  /* 297  f29 */
    char reserved2[3];
    double lineIncrement;   /* 312  f30 */
    double traceIncrement;  /* 320  f31 */
    char createDate[26];    /* 328  f32 */
    char updateDate[26];    /* 354  f33 */
    char remark[81];        /* 380  f34 */
    char reserved3[315];
} gdi3dSurvey_t;
OW_LAYOUT(gdi3dSurvey_t, name, 4);
OW_LAYOUT(gdi3dSurvey_t, traceCount, 68);
OW_LAYOUT(gdi3dSurvey_t, lineCount, 72);
OW_LAYOUT(gdi3dSurvey_t, firstLine, 80);
OW_LAYOUT(gdi3dSurvey_t, firstTrace, 88);
OW_LAYOUT(gdi3dSurvey_t, lastLine, 96);
OW_LAYOUT(gdi3dSurvey_t, lastTrace, 104);
OW_LAYOUT(gdi3dSurvey_t, orientation, 112);
OW_LAYOUT(gdi3dSurvey_t, transform, 128);
OW_LAYOUT(gdi3dSurvey_t, corner, 192);
OW_SIZE(gdi3dSurvey_t, 776);

/* Class 575: log curve list. */
typedef struct gdiLogCurveList_t
{
    char name[81];          /* 0    f0 key */
    char reserved0[3];
    uint32_t id;            /* 84   f1 assigned */
    char interpreter[6];    /* 88   f2 */
    char remark[81];        /* 94   f3 */
    char reserved1[273];
} gdiLogCurveList_t;
OW_LAYOUT(gdiLogCurveList_t, id, 84);
OW_SIZE(gdiLogCurveList_t, 448);

/* Class 576: log curve list member. */
typedef struct gdiLogCurveListMember_t
{
    uint32_t listId;        /* 0    f0 key */
    uint32_t curveId;       /* 4    f1 key */
    int32_t id;             /* 8    f2 assigned */
    char wellKey[32];       /* 12   f3 */
    char reserved0[112];
} gdiLogCurveListMember_t;
OW_LAYOUT(gdiLogCurveListMember_t, curveId, 4);
OW_SIZE(gdiLogCurveListMember_t, 156);

/* Class 600: position log (trajectory) of a well, keyed by the well key. */
typedef struct gdiPositionLog_t
{
    char wellKey[32];       /* 0    f0 key */
    int32_t id;             /* 32   f1 assigned */
    char interpreter[6];    /* 36   f2 */
    char name[41];          /* 42   f3 */
    char reserved0[65];
    int32_t pointCount;     /* 148  f11 */
    float* md;              /* 152  f12 vector (unit type 1001) */
    float* tvd;             /* 160  f13 vector (1001) */
    float* xDeviation;      /* 168  f14 vector (2004) */
    float* yDeviation;      /* 176  f15 vector (2004) */
} gdiPositionLog_t;
OW_LAYOUT(gdiPositionLog_t, pointCount, 148);
OW_LAYOUT(gdiPositionLog_t, tvd, 160);
OW_LAYOUT(gdiPositionLog_t, xDeviation, 168);
OW_LAYOUT(gdiPositionLog_t, yDeviation, 176);
OW_SIZE(gdiPositionLog_t, 184);

/* Class 601: time-depth table of a well (subset of 823). */
typedef struct gdiTimeDepthTable_t
{
    int32_t id;             /* 0    f0 assigned: the table id */
    char wellKey[32];       /* 4    f1 key */
    char name[51];          /* 36   f2 */
    char reserved0[9];
    char interpreter[6];    /* 96   f3 */
    char reserved1[60];
    char direction[13];     /* 162  f4 "DOWN" */
    char reserved2[69];
    int32_t pointCount;     /* 244  f5 */
    int32_t reserved3;
    char depthType[13];     /* 252  f6 "MD" or "TVDBTDD" */
    char reserved4[7];
    float* depths;          /* 272  f22 vector */
    float* tvdss;           /* 280  f24 vector */
    float* intervalVelocity;/* 288  f25 vector */
    float* averageVelocity; /* 296  f26 vector */
    float* times;           /* 304  f23 vector */
    char reserved5[253];
    char depthUnit[13];     /* 565  f7 */
    char reserved6[39];
    char timeUnit[13];      /* 617  f8 abbreviation */
    char reserved7[290];
} gdiTimeDepthTable_t;
OW_LAYOUT(gdiTimeDepthTable_t, wellKey, 4);
OW_LAYOUT(gdiTimeDepthTable_t, name, 36);
OW_LAYOUT(gdiTimeDepthTable_t, interpreter, 96);
OW_LAYOUT(gdiTimeDepthTable_t, direction, 162);
OW_LAYOUT(gdiTimeDepthTable_t, pointCount, 244);
OW_LAYOUT(gdiTimeDepthTable_t, depthType, 252);
OW_LAYOUT(gdiTimeDepthTable_t, depths, 272);
OW_LAYOUT(gdiTimeDepthTable_t, times, 304);
OW_LAYOUT(gdiTimeDepthTable_t, depthUnit, 565);
OW_LAYOUT(gdiTimeDepthTable_t, timeUnit, 617);
OW_SIZE(gdiTimeDepthTable_t, 920);

/* Class 603: preferred time-depth table of a well, keyed by the well key. */
typedef struct gdiPreferredTimeDepth_t
{
    char wellKey[32];       /* 0    f0 key */
    char interpreter[6];    /* 32   f1 */
    char reserved0[2];
    int32_t tableId;        /* 40   f2 */
    int32_t id;             /* 44   f3 assigned */
} gdiPreferredTimeDepth_t;
OW_LAYOUT(gdiPreferredTimeDepth_t, tableId, 40);
OW_SIZE(gdiPreferredTimeDepth_t, 48);

/* Class 610: log curve of a well (subset of 823). */
typedef struct gdiLogCurve_t
{
    char wellKey[32];       /* 0    f0 key */
    char name[26];          /* 32   f1 key */
    char reserved0[6];
    int32_t version;        /* 64   f2 */
    uint32_t id;            /* 68   f3 assigned: the curve id */
    char reserved1[32];
    char service[5];        /* 104  f4 */
    char curveName[31];     /* 109  f5 */
    char interpreter[6];    /* 140  f6 */
    char reserved2[2];
    int32_t depthUnitId;    /* 148  f7 */
    float topDepth;         /* 152  f8 (1001) */
    float bottomDepth;      /* 156  f9 (1001) */
    float depthStep;        /* 160  f10 (1001) */
    float minValue;         /* 164  f11 */
    float maxValue;         /* 168  f12 */
    char reserved3[292];
    int32_t sampleCount;    /* 464  f13 */
    char reserved4[16];
    char unit[31];          /* 484  f14 */
    char reserved5[61];
    double nullValue;       /* 576  f15 */
    char reserved6[492];
    char curveType[13];     /* 1076 f16 */
    char curveClass[13];    /* 1089 f17 */
    char reserved7[26];
    float* depths;          /* 1128 f69 vector (1001) */
    float* values;          /* 1136 f70 vector */
    char reserved8[456];
} gdiLogCurve_t;
OW_LAYOUT(gdiLogCurve_t, name, 32);
OW_LAYOUT(gdiLogCurve_t, version, 64);
OW_LAYOUT(gdiLogCurve_t, id, 68);
OW_LAYOUT(gdiLogCurve_t, service, 104);
OW_LAYOUT(gdiLogCurve_t, curveName, 109);
OW_LAYOUT(gdiLogCurve_t, interpreter, 140);
OW_LAYOUT(gdiLogCurve_t, sampleCount, 464);
OW_LAYOUT(gdiLogCurve_t, unit, 484);
OW_LAYOUT(gdiLogCurve_t, nullValue, 576);
OW_LAYOUT(gdiLogCurve_t, curveType, 1076);
OW_LAYOUT(gdiLogCurve_t, curveClass, 1089);
OW_LAYOUT(gdiLogCurve_t, depths, 1128);
OW_LAYOUT(gdiLogCurve_t, values, 1136);
OW_SIZE(gdiLogCurve_t, 1600);

/* Class 791: fault segment (stick) of a fault plane. */
typedef struct gdiFaultSegment_t
{
    int32_t id;             /* 0    f0 assigned */
    int32_t planeId;        /* 4    f1 key */
    int32_t segmentNumber;  /* 8    f2 */
    char reserved0[8];
    int32_t surveyId;       /* 20   f3 */
    char interpreter[6];    /* 24   f4 */
    char reserved1[18];
    double surveyTransform[8]; /* 48 f5..f12 */
    char createDate[26];    /* 112  f13 */
    char reserved2[30];
    char domain[13];        /* 168  f14 */
    char reserved3[75];
    int32_t pointCount;     /* 256  f15 */
    int32_t reserved4;
    double* points;         /* 264  f32 vector: x, y, vertical per point */
} gdiFaultSegment_t;
OW_LAYOUT(gdiFaultSegment_t, planeId, 4);
OW_LAYOUT(gdiFaultSegment_t, surveyId, 20);
OW_LAYOUT(gdiFaultSegment_t, surveyTransform, 48);
OW_LAYOUT(gdiFaultSegment_t, domain, 168);
OW_LAYOUT(gdiFaultSegment_t, pointCount, 256);
OW_LAYOUT(gdiFaultSegment_t, points, 264);
OW_SIZE(gdiFaultSegment_t, 272);

/* Class 796: fault plane (a fault as the catalogue lists it). */
typedef struct gdiFaultPlane_t
{
    int32_t id;             /* 0    f0 key, assigned */
    char name[51];          /* 4    f1 key */
    char interpreter[6];    /* 55   f2 */
    char version[13];       /* 61   f3 */
    char reserved0[2];
    int32_t faultId;        /* 76   f4 */
    char createDate[26];    /* 80   f5 */
    char reserved1[15];
    char domain[13];        /* 121  f6 */
    char updateDate[26];    /* 134  f7 */
    char remark[26];        /* 160  f8 */
    char active[2];         /* 186  f9 "Y" */
    char reserved2[4];
} gdiFaultPlane_t;
OW_LAYOUT(gdiFaultPlane_t, name, 4);
OW_LAYOUT(gdiFaultPlane_t, interpreter, 55);
OW_LAYOUT(gdiFaultPlane_t, domain, 121);
OW_LAYOUT(gdiFaultPlane_t, active, 186);
OW_SIZE(gdiFaultPlane_t, 192);

/* Class 802: raw values of a log curve (vector field 2). */
typedef struct gdiLogCurveData_t
{
    uint32_t curveId;       /* 0    f0 key */
    int32_t sampleCount;    /* 4    f1 */
    float* values;          /* 8    f2 vector */
} gdiLogCurveData_t;
OW_SIZE(gdiLogCurveData_t, 16);

/* Class 823: well header. X, Y in the X/Y unit (2004), elevation in the
 * elevation unit (58), total depth in the depth unit (1001). */
typedef struct gdiWell_t
{
    char wellKey[32];       /* 0    f0 key */
    char uwi[27];           /* 32   f1 key */
    char reserved0[11];
    char wellName[81];      /* 70   f2 */
    char operatorName[41];  /* 151  f3 */
    char commonWellName[41];/* 192  f4 */
    char wellNumber[11];    /* 233  f5 */
    char reserved1[4];
    double x;               /* 248  f7 */
    double y;               /* 256  f8 */
    char country[41];       /* 264  f9 */
    char state[41];         /* 305  f10 */
    char reserved2[6];
    char elevationRef[4];   /* 352  f11 */
    float elevation;        /* 356  f12 */
    float totalDepth;       /* 360  f13 */
    char reserved3[322];
    char status[41];        /* 686  f14 */
    char reserved4[33];
    char interpreter[6];    /* 760  f15 */
    char createDate[26];    /* 766  f16 */
    char reserved5[284];
    int32_t id;             /* 1076 f17 key, assigned */
    char reserved6[302];
    char depthUnit[13];     /* 1382 f18 */
    char reserved7[5];
} gdiWell_t;
OW_LAYOUT(gdiWell_t, uwi, 32);
OW_LAYOUT(gdiWell_t, wellName, 70);
OW_LAYOUT(gdiWell_t, commonWellName, 192);
OW_LAYOUT(gdiWell_t, wellNumber, 233);
OW_LAYOUT(gdiWell_t, x, 248);
OW_LAYOUT(gdiWell_t, y, 256);
OW_LAYOUT(gdiWell_t, elevationRef, 352);
OW_LAYOUT(gdiWell_t, elevation, 356);
OW_LAYOUT(gdiWell_t, status, 686);
OW_LAYOUT(gdiWell_t, interpreter, 760);
OW_LAYOUT(gdiWell_t, id, 1076);
OW_LAYOUT(gdiWell_t, depthUnit, 1382);
OW_SIZE(gdiWell_t, 1400);

/* Class 1176: horizon data of one horizon in one survey (subset of 445).
 * Values (min, max, grid) are in the project's unit of the domain. */
typedef struct gdiHorizonData_t
{
    int32_t id;             /* 0    f0 assigned */
    int32_t gridId;         /* 4    f1 key: the horizon id, passed to hrzrw_ */
    int32_t reserved0;
    int32_t surveyId;       /* 12   f2 key */
    char horizonName[81];   /* 16   f3 */
    char interpreter[6];    /* 97   f4 */
    char reserved1[17];
    double dataMin;         /* 120  f5 */
    double dataMax;         /* 128  f6 */
    double nullValue;       /* 136  f7 */
    int32_t firstLine;      /* 144  f8 */
    int32_t lastLine;       /* 148  f9 */
    int32_t firstTrace;     /* 152  f10 */
    int32_t lastTrace;      /* 156  f11 */
    char attribute[41];     /* 160  f12 */
    char surveyName[41];    /* 201  f13 */
    char createDate[26];    /* 242  f14 */
    char updateDate[26];    /* 268  f15 */
    char reserved2[51];
    char domain[13];        /* 345  f16 "TIME" or "DEPTH" */
    char reserved3[514];
} gdiHorizonData_t;
OW_LAYOUT(gdiHorizonData_t, gridId, 4);
OW_LAYOUT(gdiHorizonData_t, surveyId, 12);
OW_LAYOUT(gdiHorizonData_t, dataMin, 120);
OW_LAYOUT(gdiHorizonData_t, dataMax, 128);
OW_LAYOUT(gdiHorizonData_t, domain, 345);
OW_SIZE(gdiHorizonData_t, 872);

/* Class 1184: seismic data set of a 3D survey (subset of 574). fileName is
 * relative to the district's data folder (or absolute). */
typedef struct gdiSeismicDataSet_t
{
    int32_t id;             /* 0    f0 key, assigned */
    int32_t surveyId;       /* 4    f1 key */
    char name[41];          /* 8    f2 key */
    char version[13];       /* 49   f3 */
    char attribute[41];     /* 62   f4 */
    char type[13];          /* 103  f5 */
    char format[13];        /* 116  f6 */
    char domain[13];        /* 129  f7 "TIME" or "DEPTH" */
    char reserved0[2];
    double inlineMin;       /* 144  f8 */
    double inlineMax;       /* 152  f9 */
    double xlineMin;        /* 160  f10 */
    double xlineMax;        /* 168  f11 */
    double dataMin;         /* 176  f12 */
    double dataMax;         /* 184  f13 */
    char fileName[257];     /* 192  f14 */
    char unit[13];          /* 449  f15 vertical unit abbreviation */
    char dataUnit[13];      /* 462  f16 */
    char lineUnit[13];      /* 475  f17 */
    char traceUnit[13];     /* 488  f18 */
    char xyUnit[13];        /* 501  f19 */
    char reserved1[6];
    double verticalStart;   /* 520  f20 in the project's unit of the domain */
    double firstSampleValue;/* 528  f21 */
    double sampleInterval;  /* 536  f22 */
    int32_t sampleCount;    /* 544  f23 */
    int32_t reserved2;
    double nullValue;       /* 552  f24 */
    char interpreter[6];    /* 560  f25 */
    char createDate[26];    /* 566  f26 */
    char updateDate[26];    /* 592  f27 */
    char remark[81];        /* 618  f28 */
    char reserved3[989];
} gdiSeismicDataSet_t;
OW_LAYOUT(gdiSeismicDataSet_t, name, 8);
OW_LAYOUT(gdiSeismicDataSet_t, inlineMin, 144);
OW_LAYOUT(gdiSeismicDataSet_t, fileName, 192);
OW_LAYOUT(gdiSeismicDataSet_t, verticalStart, 520);
OW_SIZE(gdiSeismicDataSet_t, 1688);

/* Class information (gdiGetClassInfo). */
typedef struct gdiClassInfo_t
{
    int32_t classId;
    int32_t recordSize;
    int32_t fieldCount;
    char name[41];
    char reserved0[3];
} gdiClassInfo_t;

/* The active project (prjGetActive). */
typedef struct prjProject_t
{
    char name[21];
    char district[81];
    char reserved0[2];
    int32_t id;
    int32_t measurementSystem; /* 1 metric, 2 feet */
    char interpreter[6];
    char reserved1[10];
} prjProject_t;
