#pragma once

#include "zrheadlesscommand.h"

#include <QModelIndexList>

#include <functional>

class ZRProject;
struct ZRExchangeContext;

/// What `export-horizons` and `export-faults` share: host files named on the
/// command line (a file's path, or a file name in the project's folder of the
/// object type) are written into an OpenWorks® 3D survey given with --survey
/// NAME (an OpenWorks® survey) or --survey-volume FILE (a host volume, by path
/// or by file name in the volume folders, whose survey is used, exported from
/// it when OpenWorks® has none); without exactly one of them the command
/// refuses with a usage message.
class ZRSurveyExportCommand : public ZRHeadlessCommand
{
public:
    int run(const QStringList& arguments) override;

    /// The file an argument names: an existing file as given, else the file of
    /// that name in the project's folder of objectType. Empty when none.
    static QString hostFileFor(const ZRProject& project, const QString& argument, int objectType);

protected:
    /// The host object type of the files (29 horizons, 28 faults).
    virtual int objectType() const = 0;
    /// "horizon" or "fault".
    virtual QString noun() const = 0;
    /// The first lines of the help.
    virtual QString description() const = 0;
    /// Runs the exchange core on the items; returns the number exported.
    virtual int exportItems(const ZRExchangeContext& context, const QModelIndexList& items) const = 0;
};
