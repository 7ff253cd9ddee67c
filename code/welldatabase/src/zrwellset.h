#pragma once

#include "zrwelldbobject.h"

#include <QVector>

class ZRWell;

/// A named group of wells ("WELLSET_TABLE" with its rows of
/// "WELLSETTOWELLSRELATION_TABLE"). Owned by ZRLogDatabase.
class ZRWellSet : public ZRWellDbObject
{
public:
    struct Member
    {
        int relationId = 0;
        ZRWell* well = nullptr;
        bool stored = false;
    };

    ZRWellSet(int id, const QString& name) : ZRWellDbObject(id, name) {}

    const QVector<Member>& members() const { return m_members; }
    bool contains(const ZRWell* well) const
    {
        for (const Member& member : m_members) {
            if (member.well == well)
                return true;
        }
        return false;
    }
    QVector<ZRWell*> wells() const
    {
        QVector<ZRWell*> result;
        for (const Member& member : m_members)
            result.append(member.well);
        return result;
    }

private:
    friend class ZRLogDatabase;
    QVector<Member> m_members;
};
