#pragma once

#include "zrexchangecontext.h"

#include <QString>

#include <memory>

class MessageManager;
class ZREventBus;
class ZRLogDatabase;
class ZROpenworksSession;
class ZRProject;

/// What every headless subcommand runs in: the event bus with a printing
/// logger (and a log file when asked), the OpenWorks session with one open
/// project, and one host project (with its well database when asked).
/// Everything opened is closed by the destructor, in reverse order.
class ZRHeadlessSession
{
public:
    ZRHeadlessSession();
    ~ZRHeadlessSession();
    ZRHeadlessSession(const ZRHeadlessSession&) = delete;
    ZRHeadlessSession& operator=(const ZRHeadlessSession&) = delete;

    /// Starts the message manager and the event bus; every message is printed,
    /// and written to the log "Velostrat-OpenWorks" in logFolder when not empty.
    /// verbose: every OpenWorks message is forwarded, not only its errors.
    bool startMessages(const QString& logFolder, bool verbose);
    /// Prints every message sent so far and stops the bus (later messages are dropped).
    void flushMessages();

    /// Opens the host project folder (its descriptor must be readable).
    bool openHostProject(const QString& path, QString* error);
    /// Loads the host project's well database (after openHostProject).
    bool openWellDatabase(QString* error);
    /// Starts the DevKit and opens an OpenWorks project of a district (empty:
    /// the system district).
    bool openOpenWorksProject(const QString& district, const QString& project, QString* error);

    ZRProject* hostProject() const { return m_project.get(); }
    ZRLogDatabase* wellDatabase() const { return m_wellDatabase.get(); }
    ZROpenworksSession* openWorks() const { return m_openWorks.get(); }
    /// The district the OpenWorks project was opened in.
    QString district() const { return m_district; }
    /// The context for an exchange operation talking through ui.
    ZRExchangeContext context(ZRExchangeUi* ui) const;

private:
    std::unique_ptr<MessageManager> m_messageManager;
    std::unique_ptr<ZREventBus> m_eventBus;
    std::unique_ptr<ZROpenworksSession> m_openWorks;
    std::unique_ptr<ZRProject> m_project;
    std::unique_ptr<ZRLogDatabase> m_wellDatabase;
    QString m_district;
};
