#pragma once

#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

/// The problems met per well during a transfer: (well label, messages), in order.
using WellProblemList = QList<QPair<QString, QStringList>>;

/// Where an exported item's survey comes from.
enum class SurveyOrigin
{
    None = 0,
    HostVolume = 1,
    OpenWorksSurvey = 2
};

/// One item to export and the survey it was tied to.
struct SurveyAssociation
{
    QModelIndex item;
    SurveyOrigin origin = SurveyOrigin::None;
    QString survey;
};

/// The one way the exchange operations talk to the user. The exchange dialog
/// implements it with message boxes and dialogs; tests and the headless front
/// end implement it with scripted answers. Texts and titles are passed exactly
/// as they are to be shown.
class ZRExchangeUi
{
public:
    enum class MessageKind
    {
        Information,
        Warning,
        Critical
    };

    /// The answer to "the target file exists".
    struct FileConflictAnswer
    {
        enum Choice
        {
            Skip,
            Overwrite,
            NewName
        };
        Choice choice = Skip;
        QString newFileName; ///< with NewName: the name in the existing file's folder
    };

    virtual ~ZRExchangeUi() = default;

    /// A modal message box with its title.
    virtual void showMessage(MessageKind kind, const QString& title, const QString& text) = 0;

    /// The file conflict question for an existing target file.
    virtual FileConflictAnswer askFileConflict(const QString& existingFilePath) = 0;

    /// Asks for a host unit among candidates (host unit indexes) with the given
    /// message; returns the chosen index, or noUnit when the user declines.
    virtual int askUnit(const QList<int>& candidates, const QString& message, int noUnit) = 0;

    /// Asks which survey each item is exported into (mode 0 horizons, 1 faults).
    /// Returns false when the user cancels; associations then is unchanged.
    virtual bool askSurveyAssociations(int mode, const QModelIndexList& items,
                                       QList<SurveyAssociation>& associations) = 0;

    /// Asks which OpenWorks well list each well (by host id) joins, starting
    /// from the given map. Returns false when the user cancels.
    virtual bool askWellListAssociations(const QVector<int>& wellIds, QMap<int, QString>& associations) = 0;

    /// Shows the problems of a well transfer (only called with a non-empty list).
    virtual void showWellProblems(const WellProblemList& problems) = 0;
};
