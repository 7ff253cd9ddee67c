#pragma once

#include "zrwelldbobject.h"

#include <optional>

class ZRMarkerInfos;
class ZRSet;

/// One marker of a marker set: its marker info, its top and optional bottom
/// (a row of "MARKERTOPBOTTOM_TABLE"). Its name is the marker info's.
class ZRMarkerTopBottom : public ZRWellDbObject
{
public:
    ZRMarkerTopBottom(int id, ZRMarkerInfos* info, ZRSet* markerSet, double top, std::optional<double> bottom)
        : ZRWellDbObject(id, QString()), m_info(info), m_markerSet(markerSet), m_top(top), m_bottom(bottom)
    {
    }

    ZRMarkerInfos* markerInfo() const { return m_info; }
    ZRSet* markerSet() const { return m_markerSet; }
    double top() const { return m_top; }
    void setTop(double top) { setIfChanged(m_top, top); }
    std::optional<double> bottom() const { return m_bottom; }
    void setBottom(std::optional<double> bottom) { setIfChanged(m_bottom, bottom); }

private:
    ZRMarkerInfos* m_info;
    ZRSet* m_markerSet;
    double m_top;
    std::optional<double> m_bottom;
};
