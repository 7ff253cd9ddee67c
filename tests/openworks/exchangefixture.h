#pragma once

// A seeded OpenWorks home and a host project on disk, shared by the exchange
// window tests.

#include "testenvironment.h"

#include <QString>

#include <memory>

class ZRLogDatabase;
class ZROpenworksExchangeDialog;
class ZRProject;
class ZRScriptedExchangeUi;

class ExchangeFixture
{
public:
    ExchangeFixture();
    ~ExchangeFixture();

    bool isValid() const { return m_valid; }
    TestEnvironment& environment() { return *m_environment; }

    /// A new host project with an empty well database; its path.
    QString makeHostProject(const QString& name);
    /// The project-list file naming every host project made so far.
    QString projectListPath() const { return m_listPath; }

    /// A shown exchange window on the start-up host project, answering through a
    /// scripted user interface (given back in ui). The caller deletes the window.
    ZROpenworksExchangeDialog* makeDialog(ZRScriptedExchangeUi*& ui);

    /// The start-up host project and its loaded well database.
    ZRProject& project() { return *m_project; }
    ZRLogDatabase* wellDatabase() { return m_wellDatabase.get(); }

    static constexpr const char* District = "Demo";
    static constexpr const char* EmptyDistrict = "Empty";
    static constexpr const char* Project = "DEMO";

private:
    std::unique_ptr<TestEnvironment> m_environment;
    QString m_hostFolder;
    QString m_listPath;
    std::unique_ptr<ZRProject> m_project;
    std::unique_ptr<ZRLogDatabase> m_wellDatabase;
    bool m_valid = false;
};
