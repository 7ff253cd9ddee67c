#pragma once

#include <QMap>
#include <QString>

#include <functional>

class QWidget;
class ZRExchangeUi;
class ZRLogDatabase;
class ZRProject;

/// What an exchange operation works with, whoever starts it (the exchange
/// window or the headless front end): the host project and well database, the
/// way to talk to the user, the unit table (host unit code -> OpenWorks unit
/// abbreviation) and the host tree to refresh. Nothing here is owned.
struct ZRExchangeContext
{
    ZRProject* project = nullptr;
    ZRLogDatabase* wellDatabase = nullptr;
    ZRExchangeUi* ui = nullptr;
    QMap<int, QString> unitTable;
    /// Parent of the dialogs an operation shows (may be null).
    QWidget* parent = nullptr;
    /// Called after an operation changed the host folder of an object type
    /// (the window reloads its host tree there); may be empty.
    std::function<void(int objectType)> hostFolderChanged;
};
