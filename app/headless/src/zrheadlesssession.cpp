#include "zrheadlesssession.h"

#include "filelogger.h"
#include "messagemanager.h"
#include "owunitresolution.h"
#include "zreventbus.h"
#include "zrlogdatabase.h"
#include "zropenworksmessages.h"
#include "zropenworkssession.h"
#include "zrprintinglogger.h"
#include "zrproject.h"

#include <QDir>
#include <QFileInfo>

ZRHeadlessSession::ZRHeadlessSession() = default;

ZRHeadlessSession::~ZRHeadlessSession()
{
    m_wellDatabase.reset();
    if (m_openWorks) {
        m_openWorks->closeProject();
        owmessages::uninstall();
        m_openWorks.reset();
    }
    m_project.reset();
    flushMessages();
}

bool ZRHeadlessSession::startMessages(const QString& logFolder, bool verbose)
{
    m_messageManager = std::make_unique<MessageManager>();
    m_messageManager->addLogger(std::make_shared<ZRPrintingLogger>());
    if (!logFolder.isEmpty())
        m_messageManager->addLogger(std::make_shared<logger::FileLogger>(
            logFolder, QStringLiteral("Velostrat-OpenWorks"), logger::eSeverityLevel(0), 10, 5));
    if (!m_messageManager->startListen()) {
        m_messageManager.reset();
        return false;
    }
    m_eventBus = std::make_unique<ZREventBus>(m_messageManager->getNumPort());
    m_eventBus->setMutex(m_messageManager->getMutex());
    owmessages::install(verbose);
    return true;
}

void ZRHeadlessSession::flushMessages()
{
    m_eventBus.reset();
    m_messageManager.reset();
}

bool ZRHeadlessSession::openHostProject(const QString& path, QString* error)
{
    if (!QFileInfo(path).isDir()) {
        *error = QStringLiteral("The host project folder %1 does not exist.").arg(path);
        return false;
    }
    ZRProject::LoadStatus status = ZRProject::LoadStatus::NotLoaded;
    m_project = ZRProject::open(QDir(path).absolutePath(), &status);
    if (!m_project || status == ZRProject::LoadStatus::DescriptorMissing
        || status == ZRProject::LoadStatus::Unreadable || status == ZRProject::LoadStatus::ParseError
        || !m_project->mayBeOpened()) {
        *error = QStringLiteral("The host project %1 cannot be opened%2")
                     .arg(path, m_project && !m_project->loadMessage().isEmpty()
                                    ? QStringLiteral(": ") + m_project->loadMessage()
                                    : QStringLiteral("."));
        m_project.reset();
        return false;
    }
    return true;
}

bool ZRHeadlessSession::openWellDatabase(QString* error)
{
    if (!m_project) {
        *error = QStringLiteral("No host project is open.");
        return false;
    }
    auto database = std::make_unique<ZRLogDatabase>();
    if (!database->load(m_project->wellDatabasePath(), QStringLiteral("VS_OW_CONNECTOR"), m_project->projectName(),
                        false)) {
        *error = QStringLiteral("Unable to load well database.");
        return false;
    }
    m_wellDatabase = std::move(database);
    return true;
}

bool ZRHeadlessSession::openOpenWorksProject(const QString& district, const QString& project, QString* error)
{
    m_openWorks = std::make_unique<ZROpenworksSession>();
    if (!m_openWorks->start(error))
        return false;
    if (!district.isEmpty()) {
        if (!ZROpenworksSession::districtExists(district) || ZROpenworksSession::setSystemDistrict(district) != 0) {
            *error = QStringLiteral("The OpenWorks® district %1 does not exist.").arg(district);
            return false;
        }
    }
    m_district = ZROpenworksSession::systemDistrict();
    QString text;
    if (!m_openWorks->openProject(project, &text)) {
        *error = QStringLiteral("Unable to connect to OpenWorks® project: %1").arg(text);
        return false;
    }
    return true;
}

ZRExchangeContext ZRHeadlessSession::context(ZRExchangeUi* ui) const
{
    ZRExchangeContext context;
    context.project = m_project.get();
    context.wellDatabase = m_wellDatabase.get();
    context.session = m_openWorks.get();
    context.ui = ui;
    context.unitTable = m_openWorks && m_openWorks->isStarted() ? openWorksUnitAbbreviationTable() : QMap<int, QString>();
    return context;
}
