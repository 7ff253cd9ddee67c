#include "datalinkprocess.h"

#include "filelogger.h"
#include "hoststyle.h"
#include "iconxpmhandler.h"
#include "messagemanager.h"
#include "structuredexceptionscope.h"
#include "zrassert.h"
#include "zreventbus.h"
#include "zrprocess.h"

#include <QApplication>
#include <QSettings>

namespace
{
/// Qt's own diagnostics are notes about the toolkit, not failures of the data
/// link: they go to the host as information (draw type 0), named as Qt's.
void forwardQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    const char* kind = "debug";
    switch (type) {
    case QtDebugMsg:
        kind = "debug";
        break;
    case QtInfoMsg:
        kind = "info";
        break;
    case QtWarningMsg:
        kind = "warning";
        break;
    case QtCriticalMsg:
        kind = "critical";
        break;
    case QtFatalMsg:
        kind = "fatal";
        break;
    }
    ZREventBus::sendMessage(eDrawInformation, QStringLiteral("Qt %1: %2").arg(QLatin1String(kind), text), false);
}
} // namespace

DataLinkProcess::DataLinkProcess(QApplication& application, int reservedA, int reservedB, const QString& logLocation)
{
    m_messageManager = std::make_unique<MessageManager>();
    m_exceptionScope = std::make_unique<StructuredExceptionScope>();
    m_reservedA = reservedA;
    m_reservedB = reservedB;

    auto fileLogger = std::make_shared<logger::FileLogger>(logLocation, QStringLiteral("Velostrat-OpenWorks"),
                                                           logger::eSeverityLevel(0), 10, 5);
    m_messageManager->addLogger(fileLogger);
    m_messageManager->startListen();
    const std::uint16_t port = m_messageManager->getNumPort();
    m_eventBus = std::make_unique<ZREventBus>(port);

    QCoreApplication::setOrganizationName(QStringLiteral("Tovan"));
    QCoreApplication::setApplicationName(QStringLiteral("Velostrat"));
    QSettings::setDefaultFormat(QSettings::IniFormat);

    const int styleId = vsWidgets::hostStyleIdFromSettings();
    if (!vsWidgets::applyHostStyle(application, styleId))
        ZR_ASSERT_FAILED("styleId >= 0 && styleId <= 11");

    iconHandler = new IconXPMHandler;
    iconHandler->setDarkStyle(vsWidgets::isDarkHostStyle(application));
    zrProcess = new ZRProcess;

    m_eventBus->setMutex(m_messageManager->getMutex());
    m_previousMessageHandler = qInstallMessageHandler(forwardQtMessage);
    ZREventBus::sendMessage(eDrawInformation, "Entering Data Link : process initialized.", false);
}

DataLinkProcess::~DataLinkProcess()
{
    ZREventBus::sendMessage(eDrawInformation, "Leaving Data Link : process over.", false);
    qInstallMessageHandler(m_previousMessageHandler);
    delete zrProcess;
    zrProcess = nullptr;
    delete iconHandler;
    iconHandler = nullptr;
    m_exceptionScope.reset();
    m_eventBus.reset();
    m_messageManager.reset();
}
