#include "zreventbus.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

namespace
{

// How long one send may wait for the connection or for room in the socket buffer.
constexpr int kConnectTimeoutMs = 250;
constexpr int kWriteTimeoutMs = 2000;

struct BusState
{
    std::mutex ownMutex;
    std::shared_ptr<std::mutex> sharedMutex;
    std::uint16_t port = 0;
    int socket = -1;
    bool active = false;
};

BusState& state()
{
    static BusState instance;
    return instance;
}

std::mutex& busMutex()
{
    BusState& s = state();
    if (s.sharedMutex)
        return *s.sharedMutex;
    return s.ownMutex;
}

void closeSocket(BusState& s)
{
    if (s.socket >= 0) {
        ::close(s.socket);
        s.socket = -1;
    }
}

bool waitFor(int socket, short events, int timeoutMs)
{
    pollfd descriptor{socket, events, 0};
    for (;;) {
        const int ready = ::poll(&descriptor, 1, timeoutMs);
        if (ready > 0)
            return (descriptor.revents & (events | POLLERR | POLLHUP)) != 0;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

// The manager never writes back, so a readable or hung-up socket means the
// manager closed its end: connect again instead of writing into the void.
bool peerClosed(int socket)
{
    pollfd descriptor{socket, short(POLLIN | POLLRDHUP), 0};
    return ::poll(&descriptor, 1, 0) > 0 && descriptor.revents != 0;
}

bool connectSocket(BusState& s)
{
    if (s.socket >= 0 && peerClosed(s.socket))
        closeSocket(s);
    if (s.socket >= 0)
        return true;
    if (s.port == 0)
        return false;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(s.port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int result = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (result != 0 && errno == EINPROGRESS) {
        if (waitFor(socket, POLLOUT, kConnectTimeoutMs)) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
            result = error == 0 ? 0 : -1;
        }
    }
    if (result != 0) {
        ::close(socket);
        return false;
    }
    int noDelay = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    s.socket = socket;
    return true;
}

bool writeAll(int socket, const char* data, size_t size)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (size > 0) {
        const ssize_t written = ::send(socket, data, size, MSG_NOSIGNAL);
        if (written > 0) {
            data += written;
            size -= size_t(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !waitFor(socket, POLLOUT, int(left.count())))
                return false;
            continue;
        }
        return false;
    }
    return true;
}

bool send(drawType type, const char* text, size_t length, bool flag)
{
    std::string frame;
    const std::uint32_t payload = std::uint32_t(length + 2);
    frame.reserve(length + 6);
    for (int shift = 0; shift < 32; shift += 8)
        frame += char((payload >> shift) & 0xFF);
    frame += char(static_cast<unsigned char>(type));
    frame += char(flag ? 1 : 0);
    frame.append(text, length);

    std::lock_guard<std::mutex> lock(busMutex());
    BusState& s = state();
    if (!s.active)
        return false;
    if (!connectSocket(s))
        return false;
    if (writeAll(s.socket, frame.data(), frame.size()))
        return true;
    // A broken connection loses this message; the next send connects again.
    closeSocket(s);
    return false;
}

} // namespace

ZREventBus::ZREventBus(std::uint16_t port)
{
    std::lock_guard<std::mutex> lock(busMutex());
    BusState& s = state();
    closeSocket(s);
    s.port = port;
    s.active = true;
}

ZREventBus::~ZREventBus()
{
    std::lock_guard<std::mutex> lock(busMutex());
    BusState& s = state();
    if (s.socket >= 0)
        ::shutdown(s.socket, SHUT_WR);
    closeSocket(s);
    s.active = false;
    s.port = 0;
}

void ZREventBus::setMutex(std::shared_ptr<std::mutex> mutex)
{
    // Swapped under the mutex in use so far, so no send is half-way when it
    // changes; the previous mutex outlives the lock that holds it.
    std::shared_ptr<std::mutex> previous;
    std::lock_guard<std::mutex> lock(busMutex());
    previous = state().sharedMutex;
    state().sharedMutex = std::move(mutex);
}

bool ZREventBus::sendMessage(drawType type, const QString& text, bool flag)
{
    const QByteArray utf8 = text.toUtf8();
    return send(type, utf8.constData(), size_t(utf8.size()), flag);
}

bool ZREventBus::sendMessage(drawType type, const char* text, bool flag)
{
    if (!text)
        text = "";
    return send(type, text, std::strlen(text), flag);
}

bool ZREventBus::sendMessage(drawType type, const std::string& text, bool flag)
{
    return send(type, text.data(), text.size(), flag);
}
