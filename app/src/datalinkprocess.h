#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class IMessageLogger;
class MessageManager;
class QApplication;
class StructuredExceptionScope;
class ZREventBus;

/// The process-wide objects of the data link, alive from just after the
/// QApplication until just before it goes: the message manager with the file
/// logger "Velostrat-OpenWorks", the fault guard, the event bus, the host's
/// settings and display style, and the process library's globals zrProcess and
/// iconHandler. Its destructor tears them down in reverse order.
///
/// While it lives, Qt's own diagnostics go to the event bus and the log instead
/// of standard error, which carries only the fatal-error report to the host:
/// as information (draw type 0), "Qt <debug|info|warning|critical|fatal>: <text>",
/// so that the host does not show them as the data link's errors.
class DataLinkProcess
{
public:
    DataLinkProcess(QApplication& application, int reservedA, int reservedB, const QString& logLocation);
    ~DataLinkProcess();

    DataLinkProcess(const DataLinkProcess&) = delete;
    DataLinkProcess& operator=(const DataLinkProcess&) = delete;

    int reservedA() const { return m_reservedA; }
    int reservedB() const { return m_reservedB; }
    MessageManager* messageManager() const { return m_messageManager.get(); }

private:
    std::unique_ptr<MessageManager> m_messageManager;
    std::unique_ptr<ZREventBus> m_eventBus;
    std::unique_ptr<StructuredExceptionScope> m_exceptionScope;
    int m_reservedA = 0;
    int m_reservedB = 0;
    int m_unused = 0;
    QtMessageHandler m_previousMessageHandler = nullptr;
};
