#pragma once

#include <string>
#include <vector>

/// The demo's horizons and faults that exercise what the horizon and fault
/// imports must get right, written through the DevKit calls into the open
/// project inside the demo seeder's transaction (after its surveys exist):
/// - "Intra Chalk" (attribute TIME_STRUCTURE) in "North Sea 3D": a grid with
///   missing nodes (read back as the null value of hrzopn_, 1.0e37 for the
///   imports), NaN nodes, and nodes above and below the data range recorded in
///   its header;
/// - "Intra Chalk" (DEPTH_STRUCTURE) in "North Sea 3D" and "Dome Ridge 3D":
///   the same kinds of nodes, depths written in metres and stored in the
///   project's depth unit (feet in a feet project);
/// - "Unmapped Marker" (TIME_STRUCTURE): a horizon without data in any survey;
/// - "F5 Deep Splay": a DEPTH fault of six sticks in "North Sea 3D" (depths
///   in the project's depth unit), and "F6 Dome Flank": a TIME fault of four
///   sticks in "Dome Ridge 3D".
class DemoInterpretationSeeder
{
public:
    explicit DemoInterpretationSeeder(std::vector<std::string>* log = nullptr);

    /// Writes the content; false with *error set (the caller rolls back).
    bool seed(std::string* error);

    /// Which nodes of an "Intra Chalk" grid are made bad, by (line, trace)
    /// index from the survey's first line and trace: 0 a normal node, 1
    /// missing, 2 NaN, 3 above the data range, 4 below it.
    static int badNodeKind(int lineIndex, int traceIndex);

private:
    bool addChalkHorizon(const char* surveyName, bool depth, int* horizonId, std::string* error);
    bool addUnmappedHorizon(std::string* error);
    bool addFault(const char* surveyName, const char* name, bool depth, int sticks, double traceFraction,
                  std::string* error);
    void note(const std::string& text);

    std::vector<std::string>* m_log;
    int m_depthUnit = 1;
};
