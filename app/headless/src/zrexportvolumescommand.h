#pragma once

#include "zrheadlesscommand.h"

class ZRProject;

/// `export-volumes`: host volumes named on the command line (a volume file's
/// path, or the file name of a volume in the host project's volume folders)
/// become new OpenWorks® 3D surveys with one seismic data set each, as the
/// window's export arrow does with volumes selected in the host tree.
class ZRExportVolumesCommand : public ZRHeadlessCommand
{
public:
    QString name() const override { return QStringLiteral("export-volumes"); }
    QString summary() const override;
    int run(const QStringList& arguments) override;

    /// The volume file an argument names: an existing file as given, else the
    /// file of that name in the project's volume folders (object types 1 and
    /// 36). Empty when none.
    static QString volumeFileFor(const ZRProject& project, const QString& argument);
};
