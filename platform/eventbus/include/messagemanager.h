#pragma once

#include "imessagelogger.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

/// Receives the event-bus messages of this process on a loopback TCP port and
/// hands each one to its loggers, in arrival order, on its own listener thread.
class MessageManager
{
public:
    MessageManager();
    /// Stops listening after every connection has been read to its end (bounded
    /// by a short grace period), then releases the loggers.
    ~MessageManager();

    MessageManager(const MessageManager&) = delete;
    MessageManager& operator=(const MessageManager&) = delete;

    void addLogger(std::shared_ptr<IMessageLogger> logger);

    /// Opens the port on 127.0.0.1 and starts the listener thread. Returns false
    /// when no port could be opened.
    bool startListen();

    /// The port it listens on; 0 before startListen.
    std::uint16_t getNumPort() const;

    /// The mutex shared with the event bus.
    std::shared_ptr<std::mutex> getMutex() const;

    /// Number of messages handed to the loggers so far.
    std::uint64_t receivedCount() const;

private:
    void listen();
    void dispatch(int drawType, const std::string& text, bool flag);

    std::shared_ptr<std::mutex> m_mutex;
    std::mutex m_loggersMutex;
    std::vector<std::shared_ptr<IMessageLogger>> m_loggers;

    int m_listenSocket = -1;
    int m_wakePipe[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<std::uint64_t> m_received{0};
};
