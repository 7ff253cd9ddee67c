#pragma once

#include <QMap>
#include <QString>

#include <functional>

class ZRExchangeUi;
class ZRLogDatabase;
class ZROpenworksFaultModel;
class ZROpenworksHorizonModel;
class ZROpenworksSession;
class ZROpenworksSurveyModel;
class ZROpenworksWellModel;
class ZRProject;
class ZRTransferReport;

/// What an exchange operation works with, whoever starts it (the exchange
/// window or the headless front end). Nothing here is owned; every pointer but
/// project may be null.
struct ZRExchangeContext
{
    /// The host project and its current well database.
    ZRProject* project = nullptr;
    ZRLogDatabase* wellDatabase = nullptr;
    /// The DevKit session with the open OpenWorks project.
    ZROpenworksSession* session = nullptr;
    /// How the operation asks and tells the user.
    ZRExchangeUi* ui = nullptr;
    /// Parent progress bar of the operation's own bars (-1: a top-level bar).
    int progressParentId = -1;
    /// Title of the summary boxes ("%1 of %2 ... imported.").
    QString windowTitle = QStringLiteral("OpenWorks® Data Link");
    /// Host unit code -> OpenWorks unit abbreviation (openWorksUnitAbbreviationTable).
    QMap<int, QString> unitTable;
    /// Called after an operation changed the host folder of an object type
    /// (the window reloads its host tree there); may be empty.
    std::function<void(int objectType)> hostFolderChanged;

    /// The OpenWorks catalogue shown to the user, which exports append their
    /// new records to; currentCategory is the catalogue page shown (3 surveys,
    /// 4 wells, 5 faults, 6 horizons; 0 when none).
    ZROpenworksSurveyModel* surveyModel = nullptr;
    ZROpenworksWellModel* wellModel = nullptr;
    ZROpenworksFaultModel* faultModel = nullptr;
    ZROpenworksHorizonModel* horizonModel = nullptr;
    int currentCategory = 0;

    /// Where the operation records what it plans or does, item by item.
    ZRTransferReport* report = nullptr;
    /// Resolve everything, record the plan in the report, write nothing in
    /// either project.
    bool dryRun = false;
};
