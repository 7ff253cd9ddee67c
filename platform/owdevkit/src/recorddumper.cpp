#include "recorddumper.h"

#include "owdevkit.h"
#include "recordcatalog.h"

#include <cstring>

namespace
{
bool readAll(int classId, const RecordCatalog::Class** c, int* count, char** list, std::string* error)
{
    *c = RecordCatalog::find(classId);
    if (!*c) {
        *error = "unknown data class " + std::to_string(classId);
        return false;
    }
    void* records = nullptr;
    const int status = gdiReadSet(classId, count, &records);
    if (status != 0 && status != GDI_NO_DATA) {
        *error = gdiErrorMessage(status);
        return false;
    }
    *list = static_cast<char*>(records);
    return true;
}
} // namespace

bool RecordDumper::list(int classId, std::vector<std::string>* lines, std::string* error)
{
    const RecordCatalog::Class* c = nullptr;
    int count = 0;
    char* records = nullptr;
    if (!readAll(classId, &c, &count, &records, error))
        return false;
    lines->push_back(std::string(c->name) + " (class " + std::to_string(classId) + "): " + std::to_string(count) +
                     " record(s)");
    for (int i = 0; i < count; ++i) {
        const char* record = records + static_cast<size_t>(i) * c->size;
        std::string line = "  ";
        for (const RecordCatalog::Field& f : c->fields) {
            if (!f.key && std::strcmp(f.name, "name") != 0)
                continue;
            line += std::string(f.name) + "=" + RecordCatalog::text(f, record) + "  ";
        }
        lines->push_back(line);
    }
    gdiFree(records);
    return true;
}

bool RecordDumper::dump(int classId, int id, std::vector<std::string>* lines, std::string* error)
{
    const RecordCatalog::Class* c = nullptr;
    int count = 0;
    char* records = nullptr;
    if (!readAll(classId, &c, &count, &records, error))
        return false;
    for (int i = 0; i < count; ++i) {
        char* record = records + static_cast<size_t>(i) * c->size;
        if (id != 0 && RecordCatalog::recordId(*c, record) != id)
            continue;
        gdiReadVector(classId, record);
        lines->push_back(std::string(c->name) + " (class " + std::to_string(classId) + ") record " +
                         std::to_string(i + 1) + " of " + std::to_string(count));
        for (const RecordCatalog::Field& f : c->fields) {
            std::string value = RecordCatalog::text(f, record);
            if (f.type == RecordCatalog::Type::FloatVector || f.type == RecordCatalog::Type::DoubleVector) {
                void* pointer = nullptr;
                std::memcpy(&pointer, record + f.offset, sizeof(pointer));
                const long long n = RecordCatalog::vectorBytes(f, record) / (f.type == RecordCatalog::Type::FloatVector ? 4 : 8);
                for (long long k = 0; pointer && k < n && k < 12; ++k)
                    value += " " + std::to_string(f.type == RecordCatalog::Type::FloatVector
                                                      ? static_cast<double>(static_cast<float*>(pointer)[k])
                                                      : static_cast<double*>(pointer)[k]);
                if (pointer && n > 12)
                    value += " ...";
            }
            lines->push_back("  [" + std::to_string(f.offset) + "] f" + std::to_string(f.id) + " " + f.name + " = " +
                             value);
        }
        gdiReleaseVectors(classId, 1, record);
    }
    gdiFree(records);
    return true;
}
