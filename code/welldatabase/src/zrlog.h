#pragma once

#include "izrdatalog.h"
#include "zrwelldbobject.h"

#include <memory>
#include <optional>

class ZRSet;

/// One log of a set (a row of "LOG_TABLE"). Its values live in the log data
/// file "LOGDATA_<id>" and are read (and cached) by ZRLogDatabase when asked
/// for; values given through ZRLogDatabase::setLogData are held here until the
/// next save writes them. Owned by ZRLogDatabase.
class ZRLog : public ZRWellDbObject
{
public:
    ZRLog(int id, const QString& name, ZRSet* set) : ZRWellDbObject(id, name), m_set(set) {}

    ZRSet* set() const { return m_set; }
    /// The absent-value marker (NOVALUE), unset when the column is NULL.
    std::optional<double> noValue() const { return m_noValue; }
    void setNoValue(std::optional<double> value) { setIfChanged(m_noValue, value); }
    const QString& unit() const { return m_unit; }
    void setUnit(const QString& unit) { setIfChanged(m_unit, unit); }
    std::optional<int> logType() const { return m_logType; }
    void setLogType(std::optional<int> type) { setIfChanged(m_logType, type); }

    /// Values waiting for the next save, or null.
    const IZRDataLog* pendingData() const { return m_pendingData.get(); }
    /// True once the row has been committed to the database file (by a load or a save).
    bool isStored() const { return m_stored; }

private:
    friend class ZRLogDatabase;

    ZRSet* m_set;
    std::optional<double> m_noValue;
    QString m_unit;
    std::optional<int> m_logType;
    std::unique_ptr<IZRDataLog> m_pendingData;
    bool m_stored = false;
};
