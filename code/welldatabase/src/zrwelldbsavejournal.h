#pragma once

#include <QString>
#include <QStringList>

#include <functional>

/// Keeps the data files of the well database consistent with its SQLite file
/// across a save that stops midway (an error, a full disk, a killed process).
///
/// A save first writes the journal "wellDbSave.journal" naming the generation
/// of the save, the data files it replaces and the data files it removes; then
/// writes every replacing data file under a pending name (target + ".saving");
/// then commits the SQL transaction that also sets the database's user version
/// to that generation; then completes (renames the pending files into place,
/// removes the removed files) and finishes (deletes the journal).
///
/// The journal is a UTF-8 text file of lines:
///   OpenWorks Data Link well database save journal 1
///   generation <decimal number>
///   replace <data file name>      (any number of lines)
///   remove <data file name>       (any number of lines)
///   end
/// where a data file name is "LOGDATA_<id>" or "MARKERLIST_<id>" of the same
/// folder. A file of that name in any other form is not a journal of ours.
///
/// recover() runs before every load and save: when a journal of ours is left
/// and the database holds its generation the commit happened and the journal
/// is completed; otherwise the pending files it names are removed. Only the
/// files that the journal names are ever renamed or removed: other files of
/// the folder (a user's "notes.saving") are never touched, and a journal that
/// is not ours is left as it is, with every file, and reported.
class ZRWellDbSaveJournal
{
public:
    enum Recovery
    {
        NothingToRecover, ///< no journal
        RolledForward,    ///< the save had committed: its files are now in place
        RolledBack,       ///< the save had not committed: its pending files are gone
        Undecided,        ///< the committed generation is unknown: everything left as it is
        NotOurs           ///< the journal is not one this program wrote: everything left as it is
    };

    /// The first line of every journal.
    static const char* const HeaderLine;

    explicit ZRWellDbSaveJournal(const QString& folder);

    static QString journalFileName(const QString& folder);
    static QString pendingFileName(const QString& target);
    /// Whether fileName (without folder) is a data file name a journal may name.
    static bool isDataFileName(const QString& fileName);

    /// target (an absolute data file name in the folder) is to be replaced by its pending file.
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
    /// Deletes the pending files of this save and the journal: the save did not happen.
    void discard();

    /// Reads the journal of folder. False when there is none or it is not ours
    /// (exists then tells which); the lists hold absolute file names.
    static bool read(const QString& folder, qint64& generation, QStringList& replacements, QStringList& removals,
                     bool* exists = nullptr);

    /// Finishes or discards an interrupted save of folder; committedGeneration is
    /// the user version the database holds now (negative: unknown).
    static Recovery recover(const QString& folder, qint64 committedGeneration);

private:
    QString m_folder;
    QStringList m_replacements;
    QStringList m_removals;
};
