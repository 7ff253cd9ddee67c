#include "busrecorder.h"

#include "imessagelogger.h"
#include "messagemanager.h"
#include "zreventbus.h"

#include <QTest>

#include <mutex>

class RecordingLogger : public IMessageLogger
{
public:
    void log(int drawType, const std::string& text, bool) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        messages.append({drawType, QString::fromStdString(text)});
    }

    std::mutex mutex;
    QList<QPair<int, QString>> messages;
};

BusRecorder::BusRecorder() : m_manager(std::make_unique<MessageManager>()), m_logger(std::make_shared<RecordingLogger>())
{
    m_manager->addLogger(m_logger);
    if (m_manager->startListen()) {
        m_bus = std::make_unique<ZREventBus>(m_manager->getNumPort());
        m_bus->setMutex(m_manager->getMutex());
    }
}

BusRecorder::~BusRecorder()
{
    m_bus.reset();
    m_manager.reset();
}

bool BusRecorder::isListening() const
{
    return bool(m_bus);
}

QList<QPair<int, QString>> BusRecorder::take()
{
    const QString marker = QStringLiteral("<<test marker %1>>").arg(++m_marker);
    ZREventBus::sendMessage(eDrawInformation, marker, false);
    const auto arrived = [&] {
        std::lock_guard<std::mutex> lock(m_logger->mutex);
        for (const auto& message : m_logger->messages)
            if (message.second == marker)
                return true;
        return false;
    };
    if (!QTest::qWaitFor(arrived, 10000))
        qWarning("BusRecorder: the marker message did not arrive");
    std::lock_guard<std::mutex> lock(m_logger->mutex);
    QList<QPair<int, QString>> result;
    for (const auto& message : m_logger->messages)
        if (!message.second.startsWith(QLatin1String("<<test marker ")))
            result.append(message);
    m_logger->messages.clear();
    return result;
}

QStringList BusRecorder::takeTexts(int drawType)
{
    QStringList texts;
    for (const auto& message : take())
        if (message.first == drawType)
            texts.append(message.second);
    return texts;
}
