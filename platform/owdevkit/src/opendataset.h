#pragma once

#include "seismicfile.h"
#include "datasetgrid.h"

/// A seismic data set opened by dm3dop_: its file and where its traces lie
/// in the survey grid (the grid coordinates the seismic calls take).
struct OpenDataSet
{
    SeismicFile file;
    DataSetGrid grid;
    int dataSetId = 0;
    int surveyId = 0;
};
