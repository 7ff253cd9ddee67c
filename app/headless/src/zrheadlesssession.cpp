#include "zrheadlesssession.h"

#include "filelogger.h"
#include "messagemanager.h"
#include "owdevkit.h"
#include "zreventbus.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksprojectbrowser.h"
#include "zrprintinglogger.h"
#include "zrproject.h"

#include <QDir>
#include <QFileInfo>

ZRHeadlessSession::ZRHeadlessSession() = default;

ZRHeadlessSession::~ZRHeadlessSession()
{
    if (m_projectOpen)
        prjClose();
    if (m_devKitStarted) {
        OhnoAddErrorHandler(nullptr);
        gdiClose();
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
    OhnoAddErrorHandler(verbose ? ZROpenworksExchangeDialog::verboseMessageHandler
                                : ZROpenworksExchangeDialog::quietMessageHandler);
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

bool ZRHeadlessSession::openOpenWorksProject(const QString& district, const QString& project, QString* error)
{
    if (owinit() != 0) {
        *error = QStringLiteral("OpenWorks® was unable to initialize.\nPlease verify that OpenWorks® is installed and "
                                "correctly configured.");
        return false;
    }
    const int gdiStatus = gdiInit();
    if (gdiStatus != 0) {
        *error = QStringLiteral("Unable to initialize GDI subsystem: %1")
                     .arg(QString::fromLocal8Bit(gdiErrorMessage(gdiStatus)));
        return false;
    }
    m_devKitStarted = true;
    if (!district.isEmpty()) {
        char path[1024] = {};
        if (lgcGetPathFromDistrict(district.toLocal8Bit().constData(), path, int(sizeof path)) != 0
            || prjSetSysDistrict(district.toLocal8Bit().constData()) != 0) {
            *error = QStringLiteral("The OpenWorks® district %1 does not exist.").arg(district);
            return false;
        }
    }
    int status = 0;
    prjOpen(project.toLocal8Bit().constData(), 0, &status);
    if (status != 0) {
        *error = QStringLiteral("Unable to connect to OpenWorks® project: %1")
                     .arg(ZROpenworksProjectBrowser::openErrorText(status));
        return false;
    }
    m_projectOpen = true;
    return true;
}

ZRExchangeContext ZRHeadlessSession::context(ZRExchangeUi* ui) const
{
    ZRExchangeContext context;
    context.project = m_project.get();
    context.ui = ui;
    return context;
}
