#pragma once

#include "projectstore.h"
#include "recordcatalog.h"

#include <string>
#include <vector>

/// Record operations of the open project shared by the record, seismic and
/// horizon calls: matching by key fields, subsets, adds with unique-key
/// checks, updates, cascading deletes and vectors. Statuses are DevKit
/// statuses; the caller holds the session lock and reports them.
class RecordAccess
{
public:
    using Row = ProjectStore::Row;
    /// A record in the store's cache: valid until the next write, commit,
    /// rollback, refresh or close, so only for reading within one call.
    using Ref = RecordCache::Ref;

    /// Records of a class whose given fields equal those of example, in id
    /// order (as cache references or as copies).
    static int match(const RecordCatalog::Class& c, const void* example,
                     const std::vector<const RecordCatalog::Field*>& fields, std::vector<Ref>* refs);
    static int match(const RecordCatalog::Class& c, const void* example,
                     const std::vector<const RecordCatalog::Field*>& fields, std::vector<Row>* rows);
    /// The key fields set in record (all of them, id included).
    static std::vector<const RecordCatalog::Field*> setKeys(const RecordCatalog::Class& c, const void* record);
    /// Records matching the set key fields; GDI_KEY_NOT_SET when none is set.
    static int byKeys(const RecordCatalog::Class& c, const void* record, std::vector<Ref>* refs);
    static int byKeys(const RecordCatalog::Class& c, const void* record, std::vector<Row>* rows);
    /// The row of the record: by its id when the class has one and it is set,
    /// else the first row matching its keys. GDI_RECORD_NOT_FOUND when none.
    static int locate(const RecordCatalog::Class& c, const void* record, Row* row);
    /// Records of subsetClass belonging to record of classId, in id order
    /// (through a linking class: in the order of the links).
    static int subset(int classId, const void* record, int subsetClass, std::vector<Ref>* refs);
    static int subset(int classId, const void* record, int subsetClass, std::vector<Row>* rows);

    static int add(int classId, void* record);
    static int update(int classId, void* record);
    static int remove(const RecordCatalog::Class& c, const Row& row);
    static int loadVectors(const RecordCatalog::Class& c, void* record, const Row& row);
    static void releaseVectors(const RecordCatalog::Class& c, void* record);

    /// Absolute path of a seismic file name of a data set record.
    static std::string seismicPath(const std::string& fileName);
    static std::string now();
};
