#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

/// How the host's message window classifies a message.
enum drawType : int
{
    eDrawInformation = 0, ///< process start and end, forwarded OpenWorks messages, notes
    eDrawError = 1,       ///< a failed call, an unsupported unit, an unreadable item
    eDrawFileError = 2,   ///< reading or writing the host's own files failed
    eDrawCallTrace = 3,   ///< trace of an OpenWorks call that succeeded
    eDrawStatus = 4       ///< status notes of long operations
};

/// Sends messages to the host's message window through the message manager
/// listening on a loopback port.
///
/// Messages travel over one TCP connection per process, framed as
///   uint32 length (little endian) | uint8 draw type | uint8 flag | UTF-8 text
/// where length counts the two bytes and the text. Sends from several threads
/// are serialised by the shared mutex, so each thread's messages arrive in the
/// order it sent them. A send never waits more than a short bounded time: a
/// refused or broken connection loses that message only, and the next send
/// connects again.
class ZREventBus
{
public:
    /// Binds the process-wide bus to the manager's port.
    explicit ZREventBus(std::uint16_t port);
    /// Flushes and closes the connection; later sends are dropped until a new
    /// bus is built.
    ~ZREventBus();

    ZREventBus(const ZREventBus&) = delete;
    ZREventBus& operator=(const ZREventBus&) = delete;

    /// Shares the manager's mutex (given at start-up).
    void setMutex(std::shared_ptr<std::mutex> mutex);

    static bool sendMessage(drawType type, const QString& text, bool flag);
    static bool sendMessage(drawType type, const char* text, bool flag);
    static bool sendMessage(drawType type, const std::string& text, bool flag);
};
