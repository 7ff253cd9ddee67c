#include "wintools.h"

#include <execinfo.h>
#include <signal.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace wintools
{

namespace
{

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kSignalCount = int(sizeof kFatalSignals / sizeof kFatalSignals[0]);

thread_local SeTranslator t_translator = nullptr;
thread_local ExceptionPointers t_pointers;

std::mutex g_installMutex;
int g_translatorCount = 0;
struct sigaction g_previousActions[kSignalCount];
std::atomic<InvalidParameterHandler> g_invalidParameterHandler{nullptr};
std::atomic<PurecallHandler> g_purecallHandler{nullptr};
std::atomic<UnhandledExceptionFilter> g_unhandledFilter{nullptr};

// The handler runs on its own stack so that a stack overflow can still be reported.
constexpr size_t kAlternateStackSize = 64 * 1024;
thread_local bool t_alternateStack = false;

void ensureAlternateStack()
{
    if (t_alternateStack)
        return;
    stack_t stack{};
    stack.ss_sp = std::malloc(kAlternateStackSize);
    stack.ss_size = kAlternateStackSize;
    if (stack.ss_sp && sigaltstack(&stack, nullptr) == 0)
        t_alternateStack = true;
}

std::uint32_t codeOfSignal(int signalNumber, int signalCode)
{
    switch (signalNumber) {
    case SIGSEGV:
    case SIGBUS:
        return AccessViolation;
    case SIGILL:
        return IllegalInstruction;
    case SIGFPE:
        return signalCode == FPE_INTDIV ? IntegerDivideByZero : FloatingPointFault;
    default:
        return FatalAbort;
    }
}

void restoreDefaultAndReraise(int signalNumber)
{
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signalNumber);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signalNumber);
}

void onFatalSignal(int signalNumber, siginfo_t* info, void* context)
{
    ExceptionPointers& pointers = t_pointers;
    pointers = ExceptionPointers{};
    pointers.signalNumber = signalNumber;
    pointers.signalCode = info ? info->si_code : 0;
    pointers.code = codeOfSignal(signalNumber, pointers.signalCode);
    pointers.faultAddress = info ? info->si_addr : nullptr;
#if defined(__x86_64__)
    if (context)
        pointers.instructionAddress =
            reinterpret_cast<void*>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    if (context)
        pointers.instructionAddress = reinterpret_cast<void*>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#else
    (void)context;
#endif
    pointers.threadId = currentThreadId();
    pointers.frameCount = backtrace(pointers.frames, ExceptionPointers::kMaximumFrames);

    // Kernel-raised faults of this thread's own instructions can become
    // exceptions; aborts and signals sent by someone else cannot.
    const bool synchronous = info && info->si_code > 0 && signalNumber != SIGABRT;
    if (synchronous && t_translator)
        t_translator(pointers.code, &pointers);
    if (UnhandledExceptionFilter filter = g_unhandledFilter.load())
        filter(&pointers);
    restoreDefaultAndReraise(signalNumber);
}

void installSignalHandlers()
{
    // backtrace() loads its unwinder on first use; do it now, not in a handler.
    void* warm[2];
    backtrace(warm, 2);
    for (int i = 0; i < kSignalCount; ++i) {
        struct sigaction action{};
        action.sa_sigaction = onFatalSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(kFatalSignals[i], &action, &g_previousActions[i]);
    }
}

void restoreSignalHandlers()
{
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kFatalSignals[i], &g_previousActions[i], nullptr);
}

} // namespace

StructuredExceptionAbstract::StructuredExceptionAbstract(std::uint32_t code, const ExceptionPointers* pointers)
    : m_code(code)
{
    if (pointers)
        m_pointers = *pointers;
    else
        m_pointers.code = code;
}

void StructuredExceptionAbstract::composeText(const char* base)
{
    std::snprintf(m_text, sizeof m_text, "%s - Error code %" PRIu32, base, m_code);
}

StructuredException::StructuredException(std::uint32_t code, const ExceptionPointers* pointers)
    : StructuredExceptionAbstract(code, pointers)
{
    composeText("Unknown exception");
}

StructuredExceptionBadAlloc::StructuredExceptionBadAlloc(std::uint32_t code, const ExceptionPointers* pointers)
    : StructuredExceptionAbstract(code, pointers)
{
    composeText("bad allocation");
}

SeTranslator setSeTranslator(SeTranslator translator)
{
    const SeTranslator previous = t_translator;
    if (previous == translator)
        return previous;
    std::lock_guard<std::mutex> lock(g_installMutex);
    if (!previous && translator) {
        ensureAlternateStack();
        if (g_translatorCount++ == 0)
            installSignalHandlers();
    } else if (previous && !translator) {
        if (--g_translatorCount == 0)
            restoreSignalHandlers();
    }
    t_translator = translator;
    return previous;
}

SeTranslator seTranslator()
{
    return t_translator;
}

InvalidParameterHandler invalidParameterHandler()
{
    return g_invalidParameterHandler.load();
}

PurecallHandler purecallHandler()
{
    return g_purecallHandler.load();
}

InvalidParameterHandler setInvalidParameterHandler(InvalidParameterHandler handler)
{
    return g_invalidParameterHandler.exchange(handler);
}

void invalidParameter()
{
    if (InvalidParameterHandler handler = g_invalidParameterHandler.load())
        handler();
    else
        std::abort();
}

PurecallHandler setPurecallHandler(PurecallHandler handler)
{
    return g_purecallHandler.exchange(handler);
}

UnhandledExceptionFilter setUnhandledExceptionFilter(UnhandledExceptionFilter filter)
{
    return g_unhandledFilter.exchange(filter);
}

long currentThreadId()
{
    return long(syscall(SYS_gettid));
}

void captureExceptionPointers(ExceptionPointers& pointers, std::uint32_t code)
{
    pointers = ExceptionPointers{};
    pointers.code = code;
    pointers.threadId = currentThreadId();
    pointers.frameCount = backtrace(pointers.frames, ExceptionPointers::kMaximumFrames);
    pointers.instructionAddress = pointers.frameCount > 0 ? pointers.frames[0] : nullptr;
}

void raiseException(std::uint32_t code)
{
    ExceptionPointers& pointers = t_pointers;
    captureExceptionPointers(pointers, code);
    if (t_translator)
        t_translator(code, &pointers);
    if (UnhandledExceptionFilter filter = g_unhandledFilter.load())
        filter(&pointers);
    std::abort();
}

} // namespace wintools

// The C++ runtime calls this for a call through a pure virtual function; it
// takes the place of the runtime's own version so that the handler set with
// setPurecallHandler is honoured.
extern "C" void __cxa_pure_virtual()
{
    if (wintools::PurecallHandler handler = wintools::g_purecallHandler.load())
        handler();
    std::abort();
}
