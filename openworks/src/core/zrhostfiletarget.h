#pragma once

#include "zrexchangeui.h"

#include <QString>

struct ZRExchangeContext;
class ZRReportedItem;

// Where the imports of horizons and faults write their host files, and what
// they do with a file already there (the file conflict question).

/// One host file an import is about to write.
struct ZRHostFileTarget
{
    /// The file to write (with Skip: the existing file that was kept).
    QString path;
    /// ZRTransferReport::Create, Overwrite, Rename or Skip.
    QString action;
    /// Whether the file conflict question was put, and its answer.
    bool asked = false;
    ZRExchangeUi::FileConflictAnswer answer;

    bool isSkipped() const;
};

/// folder + native separator + name, when name is one path component (not
/// empty, not "." or "..", without '/', '\' or control characters, at most
/// 255 bytes in UTF-8); otherwise empty text and the reason in *error (may be
/// null). Names taken from OpenWorks® and typed by the user pass here before
/// they become file names.
QString hostChildPath(const QString& folder, const QString& name, QString* error);

/// The target for `path`: Create when no file is there; otherwise the file
/// conflict question through context.ui (no user interface: Skip) decides:
/// Skip, Overwrite (the same path; the caller removes the file with
/// removeForOverwrite) or Rename (the typed name in the existing file's
/// folder). A typed name that is not one path component (or is empty) gives
/// Skip with the reason in *error.
ZRHostFileTarget resolveHostFileTarget(const ZRExchangeContext& context, const QString& path, QString* error);

/// Removes a file that is to be overwritten (in a dry run nothing is removed).
/// A file that cannot be removed gives the warning box titled "Error"
/// "Impossible to remove read-only objects" and the event-bus message (draw
/// type 2) "Error when attempting to remove file " + path + ". Reason: " + the
/// system's reason; the caller then goes on and writes to the same path. A
/// file without its owner's write permission is a read-only object and is not
/// removed, as on the host's own system (where the file system refuses it),
/// whoever runs the import. In a dry run a read-only file is only noted in the
/// report. Returns true when no file is left at path.
bool removeForOverwrite(const ZRExchangeContext& context, ZRReportedItem& reported, const QString& path);
