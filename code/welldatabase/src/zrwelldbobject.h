#pragma once

#include <QString>

/// What every object of the well database has: its row id, its name and
/// whether it changed since it was last loaded or saved.
class ZRWellDbObject
{
public:
    ZRWellDbObject(int id, const QString& name) : m_id(id), m_name(name) {}
    virtual ~ZRWellDbObject() = default;

    int id() const { return m_id; }
    const QString& name() const { return m_name; }
    void setName(const QString& name) { setIfChanged(m_name, name); }

    /// New or changed since the last load or save: the next save writes its row.
    bool isModified() const { return m_modified; }
    void setModified(bool modified = true) { m_modified = modified; }

protected:
    template <typename T>
    void setIfChanged(T& field, const T& value)
    {
        if (!(field == value)) {
            field = value;
            m_modified = true;
        }
    }

private:
    int m_id;
    QString m_name;
    bool m_modified = true;
};
