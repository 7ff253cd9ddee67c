#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <memory>

class MessageManager;
class ZREventBus;
class RecordingLogger;

/// Runs a message manager and the process event bus for one test and keeps
/// every message it receives.
class BusRecorder
{
public:
    BusRecorder();
    ~BusRecorder();

    bool isListening() const;

    /// Waits until every message sent before this call has arrived (a marker
    /// is sent and awaited), then returns all messages received since the last
    /// take(), as (draw type, text) pairs, and forgets them.
    QList<QPair<int, QString>> take();
    /// The texts of take() with the given draw type.
    QStringList takeTexts(int drawType);

private:
    std::unique_ptr<MessageManager> m_manager;
    std::unique_ptr<ZREventBus> m_bus;
    std::shared_ptr<RecordingLogger> m_logger;
    int m_marker = 0;
};
