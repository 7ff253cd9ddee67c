#pragma once

#include <QString>
#include <QStringList>

#include <functional>

/// Keeps the data files of the well database consistent with its SQLite file
/// across a save that stops midway (an error, a full disk, a killed process).
///
/// A save writes every data file that replaces an existing one under a pending
/// name (target + ".saving"), then writes the journal "wellDbSave.journal"
/// naming the generation of the save and the files to replace and remove, then
/// commits the SQL transaction that also sets the database's user version to
/// that generation, then completes (renames the pending files into place,
/// removes the removed files) and finishes (deletes the journal).
///
/// recover() runs before every load and save: when a journal is left and the
/// database holds its generation the commit happened and the journal is
/// completed; otherwise the pending files are discarded. Either way the data
/// files then match the committed rows.
class ZRWellDbSaveJournal
{
public:
    enum Recovery
    {
        NothingToRecover,
        RolledForward,
        RolledBack
    };

    explicit ZRWellDbSaveJournal(const QString& folder);

    static QString journalFileName(const QString& folder);
    static QString pendingFileName(const QString& target);

    /// A pending file has been written for target (an absolute name in the folder).
    void addReplacement(const QString& target);
    /// target is to be removed once the save is committed.
    void addRemoval(const QString& target);
    const QStringList& replacements() const { return m_replacements; }
    const QStringList& removals() const { return m_removals; }

    /// Writes the journal for generation (through a temporary name).
    bool write(qint64 generation, QString* errorText = nullptr);
    /// Renames every pending file into place, calling progress after each; false on
    /// the first failure (the journal stays for a later recovery).
    bool completeReplacements(QString* errorText = nullptr, const std::function<void()>& progress = {});
    /// Deletes the journal: the save is over.
    void finish();
    /// Deletes the pending files and the journal: the save did not happen.
    void discard();

    /// Finishes or discards an interrupted save of folder; committedGeneration is
    /// the user version the database holds now.
    static Recovery recover(const QString& folder, qint64 committedGeneration);

private:
    QString m_folder;
    QStringList m_replacements;
    QStringList m_removals;
};
