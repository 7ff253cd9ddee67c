#pragma once

#include <string>
#include <vector>

/// Layout of every data class of the stand-in: record size, fields (id,
/// offset, type, unit type), key fields, unique keys, vector fields and the
/// subset links between classes.
class RecordCatalog
{
public:
    enum class Type
    {
        Int32,
        UInt32,
        Float,
        Double,
        Text,
        FloatVector,
        DoubleVector
    };

    struct Field
    {
        int id;
        const char* name;
        int offset;
        Type type;
        int size;          // bytes of the field (text: including the zero)
        int unitType;      // 0 when the field has no unit
        bool key;          // matched by gdiRead / gdiExists when set
        int countOffset;   // vectors: offset of the int32 count
        int components;    // vectors: values per counted element
    };

    struct Class
    {
        int id;
        const char* name;
        int size;
        int idOffset;      // -1 when the class has no assigned id
        std::vector<Field> fields;
        std::vector<std::vector<int>> uniqueKeys; // field ids
    };

    /// How the records of child belong to a record of parent: equal values of
    /// parentField and childField. via != 0: through the records of class via
    /// (parentField == via.viaParentField, via.viaChildField == childField).
    struct Subset
    {
        int parent;
        int child;
        int parentField;
        int childField;
        int via;
        int viaParentField;
        int viaChildField;
    };

    static const Class* find(int classId);
    static const std::vector<Class>& classes();
    static const Field* field(const Class& c, int fieldId);
    static const Subset* subset(int parent, int child);
    static std::vector<const Subset*> subsetsOf(int parent);

    /// True when the field holds a non-zero number or a non-empty text.
    static bool isSet(const Field& f, const void* record);
    /// True when both records hold the same value in the field.
    static bool equal(const Field& f, const void* a, const void* b);
    /// Same value in field fa of record a and field fb of record b.
    static bool equal(const Field& fa, const void* a, const Field& fb, const void* b);
    /// Value as text (vectors: their count).
    static std::string text(const Field& f, const void* record);
    static int recordId(const Class& c, const void* record);
    static void setRecordId(const Class& c, void* record, int id);
    /// Bytes of a vector field's data for the record's count.
    static long long vectorBytes(const Field& f, const void* record);
};
