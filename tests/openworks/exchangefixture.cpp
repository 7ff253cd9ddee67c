#include "exchangefixture.h"

#include "iconxpmhandler.h"
#include "owsim.h"
#include "zrlogdatabase.h"
#include "zropenworksexchangedialog.h"
#include "zrproject.h"
#include "zrprojectscanner.h"
#include "zrscriptedexchangeui.h"

#include <QDir>

ExchangeFixture::ExchangeFixture()
    : m_environment(std::make_unique<TestEnvironment>())
{
    if (!iconHandler)
        iconHandler = new IconXPMHandler;
    const std::string home = m_environment->openWorksHome().toStdString();
    std::string error;
    bool alreadySeeded = false;
    if (!owsim::seedDemo(home, District, Project, owsim::MeasurementSystem::Metric, &alreadySeeded, &error)) {
        qWarning("seeding failed: %s", error.c_str());
        return;
    }
    if (!owsim::createDistrict(home, EmptyDistrict, false, &error)) {
        qWarning("district failed: %s", error.c_str());
        return;
    }
    m_hostFolder = m_environment->makeFolder("host");
    m_listPath = m_hostFolder + "/VelostratProjects.xml";
    const QString path = makeHostProject("Startup");
    if (path.isEmpty())
        return;
    m_project = std::make_unique<ZRProject>(path);
    m_wellDatabase = std::make_unique<ZRLogDatabase>();
    m_valid = m_wellDatabase->load(m_project->wellDatabasePath(), "VS_OW_CONNECTOR", "Startup", true);
}

ExchangeFixture::~ExchangeFixture() = default;

QString ExchangeFixture::makeHostProject(const QString& name)
{
    QString error;
    if (!ZRProject::createEmptyProject(m_hostFolder, name, &error)) {
        qWarning("host project failed: %s", qPrintable(error));
        return QString();
    }
    const QString path = QDir(m_hostFolder).filePath(name);
    ZRProject project(path);
    QDir().mkpath(project.wellDatabasePath());
    ZRLogDatabase database;
    if (!database.createEmptyDatabase(project.wellDatabasePath()))
        return QString();
    QStringList added;
    if (!ZRProjectScanner::addToProjectList(m_listPath, {QDir::toNativeSeparators(path)}, &added, &error))
        return QString();
    return path;
}

ZROpenworksExchangeDialog* ExchangeFixture::makeDialog(ZRScriptedExchangeUi*& ui)
{
    auto* dialog = new ZROpenworksExchangeDialog(m_listPath, m_project.get(), m_wellDatabase.get());
    auto scripted = std::make_unique<ZRScriptedExchangeUi>();
    ui = scripted.get();
    dialog->setUi(std::move(scripted));
    dialog->show();
    return dialog;
}
