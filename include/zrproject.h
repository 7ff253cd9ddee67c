#pragma once

#include "crs.h"
#include "zrprojectinterface.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>

#include <functional>
#include <memory>

/// A host project: a folder whose "descriptor.xml" gives the format version,
/// the project CRS and the folder tree in which each object type is stored.
///
/// Use: construct from the project folder (the descriptor is read at once),
/// check `loadStatus()` / `mayBeOpened()`, then ask `directoryForType`.
/// Loading never throws; its problems are reported on the event bus and in
/// `loadStatus()`; whatever the outcome the default folder tree or the
/// descriptor's tree answers. Copies share the descriptor's DOM.
class ZRProject : public ZRProjectInterface
{
public:
    /// Object-type ids (descriptor folder ids) used by the data link.
    enum ObjectType : int
    {
        VolumeType = 1,
        VisibleFolderType = 18,
        ExportType = 25,
        FaultType = 28,
        HorizonType = 29,
        WellDatabaseType = 33,
        VolumeAttributeType = 36
    };

    /// Descriptor format version written and accepted silently.
    static constexpr quint16 CurrentVersion = 81;
    /// Value of the version fields before a descriptor has been read.
    static constexpr quint16 UnknownVersion = 65535;

    enum class LoadStatus
    {
        NotLoaded,       ///< no load has run
        Loaded,          ///< descriptor read, version accepted
        Obsolete,        ///< descriptor read, version below 81 ("is obsolete." sent)
        VersionTooHigh,  ///< descriptor read, higher version that may not be opened (warning given)
        DescriptorMissing, ///< no descriptor.xml: default tree and default values kept
        Unreadable,      ///< the file could not be opened (message sent)
        ParseError       ///< the file is not XML (message sent)
    };

    /// Shows the "Project version too high" warning (title, text). Headless when unset.
    using WarningHandler = std::function<void(const QString& title, const QString& text)>;
    static void setWarningHandler(WarningHandler handler);

    /// Builds the default folder tree, then loads `path`/descriptor.xml (see load()).
    /// An empty path reads nothing (status DescriptorMissing).
    explicit ZRProject(const QString& path = QString());
    ~ZRProject() override;
    ZRProject(const ZRProject&);
    ZRProject& operator=(const ZRProject&);

    /// Builds the project (which loads its descriptor); `status` receives the outcome.
    static std::unique_ptr<ZRProject> open(const QString& path, LoadStatus* status = nullptr);

    /// Creates `parentFolder`/`name` as a new empty host project: a version 81
    /// descriptor with the default folder tree, and every folder of that tree.
    /// Refuses a folder that already holds a descriptor. On failure returns false
    /// with the reason in `errorText`, and removes what it created.
    static bool createEmptyProject(const QString& parentFolder, const QString& name, QString* errorText = nullptr);

    /// Reads "descriptor.xml" again: version and policy attributes, type, CRS,
    /// folder tree and display tree; applies the version policy and its messages.
    /// The constructor already calls it.
    LoadStatus load();
    LoadStatus loadStatus() const { return m_loadStatus; }
    /// The message of the last load problem (empty when none).
    const QString& loadMessage() const { return m_loadMessage; }
    /// False only for a version above 81 (not 65535) whose
    /// "allowOpeningIfHigherVersion" is 0.
    bool mayBeOpened() const;

    QString projectPath() const override { return m_path; }
    QString projectName() const override;
    /// Absolute folder for an object type: the project path followed by the
    /// "value" of each "Directory" from the top down. Empty when no folder has
    /// the id, or when a value on the way is not one usable folder name
    /// (isSafeFileName: "..", separators, control characters...), which is
    /// refused with a message naming it (draw type 2).
    QString directoryForType(int objectType) const override;
    /// The well database folder (object type 33).
    QString wellDatabasePath() const { return directoryForType(WellDatabaseType); }

    /// Descriptor name: path + native separator + "descriptor.xml" (native).
    /// For saving with an empty path: message (draw type 1) and empty text.
    QString descriptorPath(bool forSaving = false) const;

    /// Sets "visible" on the first "Directory" of `tree` with that id, and on its
    /// "Directory" ancestors when visible. False when no element has the id.
    static bool setDirectoryVisible(QDomElement tree, int objectType, bool visible);
    /// The same on the display tree (the descriptor's last element).
    bool setDirectoryVisible(int objectType, bool visible);
    /// The first "Directory" of `tree` (document order) carrying the id; null when none.
    static QDomElement findDirectory(const QDomElement& tree, int objectType);

    /// Writes the descriptor with the current format version and the in-memory
    /// trees. Failure: false, message (draw type 2) and `errorText`.
    bool saveDescriptor(QString* errorText = nullptr) const;

    quint16 version() const { return m_version; }
    quint16 allowOpeningIfHigherVersion() const { return m_allowOpeningIfHigherVersion; }
    quint16 allowSessionRestoreIfHigherVersion() const { return m_allowSessionRestoreIfHigherVersion; }
    const QString& type() const { return m_type; }
    const georef::Crs& crs() const { return m_crs; }
    void setCrs(const georef::Crs& crs) { m_crs = crs; }
    /// The root of the loaded descriptor; null when none was read.
    QDomElement root() const { return m_root; }
    QDomElement fileStructure() const { return m_fileStructure; }
    QDomElement displayStructure() const { return m_displayStructure; }

private:
    void buildDefaultTree();

    QString m_path;
    QDomDocument m_document;
    QDomElement m_root;
    QDomElement m_fileStructure;
    QDomElement m_displayStructure;
    QString m_type;
    quint16 m_version = UnknownVersion;
    quint16 m_allowOpeningIfHigherVersion = UnknownVersion;
    quint16 m_allowSessionRestoreIfHigherVersion = UnknownVersion;
    georef::Crs m_crs;
    LoadStatus m_loadStatus = LoadStatus::NotLoaded;
    QString m_loadMessage;
};
