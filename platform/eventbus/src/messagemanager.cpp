#include "messagemanager.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>

namespace
{
// How long the destructor waits for senders to finish their last messages.
constexpr auto kDrainGrace = std::chrono::milliseconds(1500);

struct Connection
{
    int socket = -1;
    std::string buffer;
};
} // namespace

MessageManager::MessageManager()
    : m_mutex(std::make_shared<std::mutex>())
{
}

MessageManager::~MessageManager()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakePipe[1], &wake, 1);
        m_thread.join();
    }
    for (int& descriptor : m_wakePipe) {
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = -1;
    }
    if (m_listenSocket >= 0)
        ::close(m_listenSocket);
    std::lock_guard<std::mutex> lock(m_loggersMutex);
    m_loggers.clear();
}

void MessageManager::addLogger(std::shared_ptr<IMessageLogger> logger)
{
    if (!logger)
        return;
    std::lock_guard<std::mutex> lock(m_loggersMutex);
    m_loggers.push_back(std::move(logger));
}

bool MessageManager::startListen()
{
    if (m_thread.joinable())
        return true;
    std::lock_guard<std::mutex> lock(*m_mutex);
    const int listenSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenSocket < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listenSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(listenSocket, 16) != 0
        || ::getsockname(listenSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || ::pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        ::close(listenSocket);
        return false;
    }
    m_listenSocket = listenSocket;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { listen(); });
    return true;
}

std::uint16_t MessageManager::getNumPort() const
{
    return m_port;
}

std::shared_ptr<std::mutex> MessageManager::getMutex() const
{
    return m_mutex;
}

std::uint64_t MessageManager::receivedCount() const
{
    return m_received.load();
}

void MessageManager::dispatch(int drawType, const std::string& text, bool flag)
{
    std::vector<std::shared_ptr<IMessageLogger>> loggers;
    {
        std::lock_guard<std::mutex> lock(m_loggersMutex);
        loggers = m_loggers;
    }
    for (const auto& logger : loggers)
        logger->log(drawType, text, flag);
    ++m_received;
}

void MessageManager::listen()
{
    std::map<int, Connection> connections;
    std::chrono::steady_clock::time_point stopDeadline{};
    bool draining = false;

    for (;;) {
        if (m_stopping && !draining) {
            draining = true;
            stopDeadline = std::chrono::steady_clock::now() + kDrainGrace;
        }
        if (draining && connections.empty()) {
            // A sender may have connected and finished before we accepted it.
            pollfd pending{m_listenSocket, POLLIN, 0};
            if (::poll(&pending, 1, 0) <= 0)
                break;
        }
        if (draining && std::chrono::steady_clock::now() >= stopDeadline)
            break;

        std::vector<pollfd> descriptors;
        descriptors.push_back({m_wakePipe[0], POLLIN, 0});
        descriptors.push_back({m_listenSocket, POLLIN, 0});
        for (const auto& entry : connections)
            descriptors.push_back({entry.first, POLLIN, 0});

        const int ready = ::poll(descriptors.data(), descriptors.size(), draining ? 50 : -1);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;

        if (descriptors[0].revents & POLLIN) {
            char sink[16];
            [[maybe_unused]] const ssize_t got = ::read(m_wakePipe[0], sink, sizeof sink);
        }
        if (descriptors[1].revents & POLLIN) {
            const int client = ::accept4(m_listenSocket, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0)
                connections[client].socket = client;
        }
        for (size_t i = 2; i < descriptors.size(); ++i) {
            if (!(descriptors[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Connection& connection = connections[descriptors[i].fd];
            char chunk[65536];
            ssize_t got = ::read(connection.socket, chunk, sizeof chunk);
            if (got > 0)
                connection.buffer.append(chunk, size_t(got));

            size_t offset = 0;
            while (connection.buffer.size() - offset >= 4) {
                const auto* bytes = reinterpret_cast<const unsigned char*>(connection.buffer.data() + offset);
                const std::uint32_t length = std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8)
                                             | (std::uint32_t(bytes[2]) << 16) | (std::uint32_t(bytes[3]) << 24);
                if (length < 2) {
                    // Not a frame of ours: the rest of this connection cannot be trusted.
                    got = 0;
                    offset = connection.buffer.size();
                    break;
                }
                if (connection.buffer.size() - offset - 4 < length)
                    break;
                const int type = bytes[4];
                const bool flag = bytes[5] != 0;
                dispatch(type, connection.buffer.substr(offset + 6, length - 2), flag);
                offset += 4 + length;
            }
            connection.buffer.erase(0, offset);

            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                ::close(connection.socket);
                connections.erase(descriptors[i].fd);
            }
        }
    }
    for (auto& entry : connections)
        ::close(entry.first);
}
