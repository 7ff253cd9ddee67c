#pragma once

// A large OpenWorks catalogue written through the DevKit calls, shared by the
// benchmarks that read it back.

#include <QStringList>

#include <cstring>
#include <string>

struct CatalogueSizes
{
    int wells = 20000;
    int lists = 200;
    int horizons = 2000;
    int faults = 500;
    int segmentsPerFault = 4;
    int surveys = 200;
    int dataSetsPerSurvey = 5;
    int surfaces = 50;
};

/// Writes the catalogue into the open project through gdiAdd and commits:
/// surveys with their data sets, well lists, wells (each in one list),
/// horizons, fault planes with their segments and surfaces. False (with a line
/// on standard error) when a call fails.
bool populateCatalogue(const CatalogueSizes& sizes);

/// A "TRACE" survey of `lines` lines of `tracesPerLine` traces and one data set
/// of synthetic traces of `samples` IEEE floats, written through the seismic
/// calls into the open project and committed. Gives the data set's file name
/// and id.
bool createSyntheticDataSet(const char* surveyName, const char* dataSetName, int lines, int tracesPerLine,
                            int samples, std::string* fileName, int* dataSetId);

/// Copies text into a fixed-size record field, cut to fit.
template <size_t N>
void setRecordText(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(N - 1, text.size()));
}

/// The integer after a "--name" argument, or fallback.
int argumentValue(const QStringList& arguments, const QString& name, int fallback);
