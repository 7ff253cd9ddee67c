#pragma once

#include "zrexchangeui.h"

#include <QMetaType>
#include <QString>

class QMimeData;

Q_DECLARE_METATYPE(SurveyOrigin)

/// What a drop onto a survey association target (ZROpenworksSurveyReferenceWidget,
/// ZROpenworksApplyToAllWidget) carries.
///
/// - Host items ("application/velostrat.projectbrowseritemdatalist", the host
///   tree's list of item role maps, in Qt 5's data stream format): exactly one
///   item that is a host volume
///   (item kind 3, object type 1 or 36) gives origin HostVolume and, as the
///   survey text, the volume's full path (role 516). Any other list gives None.
/// - Otherwise an OpenWorks survey table row
///   ("application/velostrat.openworkstableitem"): origin OpenWorksSurvey and
///   the row's text (the survey name) as the survey text; None when empty.
///
/// The survey text of a host volume is always its full path, whichever target
/// took the drop; the exports look a survey text up as an OpenWorks survey name
/// for OpenWorksSurvey and export the volume file for HostVolume.
struct SurveyDrop
{
    SurveyOrigin origin = SurveyOrigin::None;
    QString survey;

    /// Decodes a drop's data.
    static SurveyDrop fromMimeData(const QMimeData* data);
    /// Whether the data has one of the two formats (drag enter).
    static bool canDecode(const QMimeData* data);
    /// The text a target shows for a survey: the file name of a host volume,
    /// the survey text otherwise.
    static QString displayText(const QString& survey, SurveyOrigin origin);
};
