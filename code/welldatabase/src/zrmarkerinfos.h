#pragma once

#include "zrwelldbobject.h"

/// A marker name with its colour, shared by all wells (a row of "MARKERINFOS_TABLE").
class ZRMarkerInfos : public ZRWellDbObject
{
public:
    ZRMarkerInfos(int id, const QString& name) : ZRWellDbObject(id, name) {}

    /// The colour text as stored (a "#rrggbb" name when set by the data link).
    const QString& color() const { return m_color; }
    void setColor(const QString& color) { setIfChanged(m_color, color); }

private:
    QString m_color = QStringLiteral("#000000");
};
