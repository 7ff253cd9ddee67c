#pragma once

#include <string>
#include <vector>

/// Text views of the records of a class of the open project, read through
/// gdiReadSet and gdiReadVector: one line per record, or every field.
class RecordDumper
{
public:
    static bool list(int classId, std::vector<std::string>* lines, std::string* error);
    static bool dump(int classId, int id, std::vector<std::string>* lines, std::string* error);
};
