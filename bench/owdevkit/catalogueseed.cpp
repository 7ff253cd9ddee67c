#include "catalogueseed.h"

#include "owdevkit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{
bool check(int status, const char* what)
{
    if (status == 0)
        return true;
    std::fprintf(stderr, "%s failed: %d %s\n", what, status, gdiErrorMessage(status));
    return false;
}

bool addSurveys(const CatalogueSizes& sizes)
{
    for (int s = 0; s < sizes.surveys; ++s) {
        gdi3dSurvey_t survey;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        setRecordText(survey.name, "Survey " + std::to_string(s));
        setRecordText(survey.orientation, "TRACE");
        survey.firstLine = 1;
        survey.lastLine = 100;
        survey.firstTrace = 1;
        survey.lastTrace = 100;
        survey.lineCount = 100;
        survey.traceCount = 100;
        const double corners[8] = {0, 0, 0, 1000, 1000, 1000, 1000, 0};
        std::memcpy(survey.corner, corners, sizeof corners);
        if (!check(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), "survey"))
            return false;
        for (int d = 0; d < sizes.dataSetsPerSurvey; ++d) {
            gdiSeismicDataSet_t set;
            gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &set);
            set.surveyId = survey.id;
            setRecordText(set.name, "Data set " + std::to_string(d));
            setRecordText(set.domain, d % 2 ? "DEPTH" : "TIME");
            setRecordText(set.fileName, "survey" + std::to_string(s) + "_" + std::to_string(d) + ".sgy");
            set.inlineMin = 1;
            set.inlineMax = 100;
            if (!check(gdiAdd(GDI_CLASS_SEISMIC_DATA_SET, &set), "data set"))
                return false;
        }
    }
    return true;
}

bool addWells(const CatalogueSizes& sizes)
{
    std::vector<int> listIds;
    std::vector<std::string> listNames;
    for (int l = 0; l < sizes.lists; ++l) {
        gdiWellList_t list;
        gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
        listNames.push_back("List " + std::to_string(l));
        setRecordText(list.name, listNames.back());
        setRecordText(list.listType, "WELL_LIST");
        if (!check(gdiAdd(GDI_CLASS_WELL_LIST, &list), "well list"))
            return false;
        listIds.push_back(list.id);
    }
    for (int w = 0; w < sizes.wells; ++w) {
        gdiWell_t well;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
        const std::string key = "W" + std::to_string(w);
        setRecordText(well.wellKey, key);
        setRecordText(well.uwi, "UWI-" + std::to_string(w));
        setRecordText(well.commonWellName, "Well " + std::to_string(w));
        well.x = 1000.0 + w;
        well.y = 2000.0 + w;
        if (!check(gdiAdd(GDI_CLASS_WELL, &well), "well"))
            return false;
        if (listIds.empty())
            continue;
        gdiWellListMember_t member;
        gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
        const size_t list = size_t(w % sizes.lists);
        member.wellListId = listIds[list];
        setRecordText(member.wellKey, key);
        setRecordText(member.wellListName, listNames[list]);
        if (!check(gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member), "membership"))
            return false;
    }
    return true;
}

bool addInterpretation(const CatalogueSizes& sizes)
{
    for (int h = 0; h < sizes.horizons; ++h) {
        gdiHorizonCatalog_t horizon;
        gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &horizon);
        horizon.id = h + 1;
        setRecordText(horizon.name, "Horizon " + std::to_string(h));
        setRecordText(horizon.attribute, "TIME");
        if (!check(gdiAdd(GDI_CLASS_HORIZON_CATALOG, &horizon), "horizon"))
            return false;
    }
    for (int f = 0; f < sizes.faults; ++f) {
        gdiFaultPlane_t fault;
        gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &fault);
        setRecordText(fault.name, "Fault " + std::to_string(f));
        if (!check(gdiAdd(GDI_CLASS_FAULT_PLANE, &fault), "fault"))
            return false;
        for (int s = 0; s < sizes.segmentsPerFault; ++s) {
            gdiFaultSegment_t segment;
            gdiInitiateObject(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
            segment.planeId = fault.id;
            segment.segmentNumber = s;
            if (!check(gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment), "segment"))
                return false;
        }
    }
    for (int s = 0; s < sizes.surfaces; ++s) {
        gdiSurface_t surface;
        gdiInitiateObject(GDI_CLASS_SURFACE, 1, &surface);
        setRecordText(surface.name, "Surface " + std::to_string(s));
        setRecordText(surface.stratColumn, s % 2 ? "UNKNOWN" : "NORTH SEA");
        if (!check(gdiAdd(GDI_CLASS_SURFACE, &surface), "surface"))
            return false;
    }
    return true;
}
} // namespace

bool populateCatalogue(const CatalogueSizes& sizes)
{
    if (!addSurveys(sizes) || !addWells(sizes) || !addInterpretation(sizes)) {
        gdiRollback();
        return false;
    }
    return check(gdiCommit(), "commit");
}

int argumentValue(const QStringList& arguments, const QString& name, int fallback)
{
    const int index = arguments.indexOf(name);
    return index >= 0 && index + 1 < arguments.size() ? arguments[index + 1].toInt() : fallback;
}

bool createSyntheticDataSet(const char* surveyName, const char* dataSetName, int lines, int tracesPerLine,
                            int samples, std::string* fileName, int* dataSetId)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    setRecordText(survey.name, surveyName);
    setRecordText(survey.orientation, "TRACE");
    survey.firstLine = 1;
    survey.lastLine = lines;
    survey.firstTrace = 1;
    survey.lastTrace = tracesPerLine;
    survey.lineCount = lines;
    survey.traceCount = tracesPerLine;
    const double corners[8] = {0, 0, 0, 25.0 * lines, 12.5 * tracesPerLine, 25.0 * lines, 12.5 * tracesPerLine, 0};
    std::memcpy(survey.corner, corners, sizeof(corners));
    if (!check(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), "survey") || !check(gdiCommit(), "commit"))
        return false;
    int status = -1, type = 3;
    const int length = int(std::strlen(surveyName)), write = 3, one = 1, zero = 0;
    prjin2_(&status, &type, surveyName, &length);
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = tracesPerLine;
    cb.firstY = 1;
    cb.lastY = lines;
    cb.samplesPerTrace = samples;
    cb.sampleInterval = 2.0f;
    cb.verticalEnd = 2.0f * float(samples);
    cb.domain = 1;
    char name[DM3D_FILE_NAME_SIZE] = {};
    if (status == 0)
        dm3d_crt_ds_(dataSetName, "UNKNOWN", &cb, name, &status);
    if (status == 0)
        dm3dop_(name, &cb, &write, &status);
    std::vector<float> trace(static_cast<size_t>(samples));
    const float noScale = 0.0f;
    int flags = 0;
    for (int y = 1; y <= lines && status == 0; ++y) {
        for (int x = 1; x <= tracesPerLine && status == 0; ++x) {
            for (int s = 0; s < samples; ++s)
                trace[size_t(s)] = std::sin(0.01f * float(s) + 0.1f * float(x)) * float(y);
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
        }
    }
    if (dataSetId)
        *dataSetId = cb.dataSetId;
    int closeStatus = 0;
    dm3dcl_(&cb, &zero, &closeStatus);
    prjend_(&type, &zero);
    *fileName = name;
    return status == 0 && closeStatus == 0 && gdiCommit() == 0;
}
