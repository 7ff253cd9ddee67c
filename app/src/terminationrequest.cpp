#include "terminationrequest.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
int g_pipe[2] = {-1, -1};
struct sigaction g_previousTerm;
struct sigaction g_previousInt;
volatile std::sig_atomic_t g_signalReceived = 0;

void onSignal(int)
{
    g_signalReceived = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}
} // namespace

TerminationRequest::TerminationRequest(QObject* parent)
    : QObject(parent)
{
    g_signalReceived = 0;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &g_previousTerm);
    sigaction(SIGINT, &action, &g_previousInt);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationRequest::onReadable);
}

TerminationRequest::~TerminationRequest()
{
    if (!m_notifier)
        return;
    sigaction(SIGTERM, &g_previousTerm, nullptr);
    sigaction(SIGINT, &g_previousInt, nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

bool TerminationRequest::signalReceived()
{
    return g_signalReceived != 0;
}

void TerminationRequest::onReadable()
{
    char sink[16];
    while (::read(g_pipe[0], sink, sizeof sink) > 0) {
    }
    m_requested = true;
    emit requested();
}
