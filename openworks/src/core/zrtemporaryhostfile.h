#pragma once

#include <QString>
#include <QStringList>

/// A host file being written under its hidden temporary name (the name the
/// survey import writes volumes under, temporaryVolumePath: "." + the target's
/// file name + "." + the process id + ".partial", in the target's folder; the
/// host project tree does not list it). commit() gives the file its target
/// name; on every other path the temporary file is removed when the object
/// goes, so a failed or killed write never leaves a file the host takes for
/// complete.
class ZRTemporaryHostFile
{
public:
    explicit ZRTemporaryHostFile(const QString& target);
    ~ZRTemporaryHostFile();
    ZRTemporaryHostFile(const ZRTemporaryHostFile&) = delete;
    ZRTemporaryHostFile& operator=(const ZRTemporaryHostFile&) = delete;

    /// The name to write to.
    const QString& path() const { return m_path; }
    const QString& target() const { return m_target; }

    /// Renames the written file to its target (replacing a file of that
    /// name). False with the system's reason when that fails.
    bool commit(QString* reason);

    /// Removes the temporary files earlier imports of target left behind
    /// (any process id); returns how many were removed.
    static int removeStale(const QString& target);

    /// The temporary files of imports in a folder, listed once for a run of
    /// many targets ("." + file name + "." + digits + ".partial").
    static QStringList staleFiles(const QString& folder);
    /// removeStale for a target of that folder, from its staleFiles list.
    static int removeStale(const QString& target, const QStringList& staleFiles);

private:
    QString m_target;
    QString m_path;
    bool m_committed = false;
};
