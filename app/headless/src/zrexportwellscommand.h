#pragma once

#include "zrheadlesscommand.h"

#include <QVector>

class ZRLogDatabase;
struct WellExportSelection;

/// `export-wells`: host wells named on the command line (well names, or well
/// set names for all the wells of a set) become OpenWorks® wells with their
/// trajectories, time-depth relations, logs and picks, added to OpenWorks®
/// well lists as the window's export arrow does: a well of one host well set
/// (or named through its set) joins the list of that set's name; the others
/// join the list given by --well-list (an existing list) or --new-well-list
/// (created for them).
class ZRExportWellsCommand : public ZRHeadlessCommand
{
public:
    QString name() const override { return QStringLiteral("export-wells"); }
    QString summary() const override;
    int run(const QStringList& arguments) override;

    /// The selection a name makes: the well set of that exact name, else the
    /// well of that name (case-insensitive); false when neither exists.
    static bool selectionFor(const ZRLogDatabase& database, const QString& name, WellExportSelection* selection);
};
