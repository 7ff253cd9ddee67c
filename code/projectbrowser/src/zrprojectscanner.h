#pragma once

#include <QString>
#include <QStringList>

/// Finds host projects (folders holding "descriptor.xml") below a folder and
/// adds them to the host's project-list file.
///
/// Project-list file: an XML document whose list element is the first element
/// named after the file's base name; it holds one "project" element per host
/// project, whose first "path" element gives the project folder in its "value"
/// attribute. Paths are compared and stored with native separators.
class ZRProjectScanner
{
public:
    struct Result
    {
        QStringList found;   ///< project folders found, in folder order
        QStringList added;   ///< those that were not yet in the list and were added
        bool cancelled = false;
        bool listWritten = false;
        QString errorText;   ///< why the list could not be updated (empty on success)
    };

    /// Walks folder and every folder below it (symbolic links are not followed)
    /// under a cancellable progress bar "Scanning Projects" (a sub-bar of
    /// progressParent when that is not -1). A cancel keeps what was found so far.
    static QStringList findProjects(const QString& folder, int progressParent = -1, bool* cancelled = nullptr);

    /// Adds the paths that the list does not hold yet (creating the file and its
    /// list element when missing) and writes the file. A file that exists but
    /// cannot be read or parsed is left untouched. Returns false with errorText
    /// on failure; added receives the paths written.
    static bool addToProjectList(const QString& projectListPath, const QStringList& paths, QStringList* added,
                                 QString* errorText = nullptr);

    /// findProjects() then addToProjectList(); reports the outcome on the event bus.
    static Result scanDirectory(const QString& folder, const QString& projectListPath, int progressParent = -1);
};
