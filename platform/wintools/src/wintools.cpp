#include "wintools.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
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

// Read inside the signal handler: static TLS, never allocated on first use.
#define WINTOOLS_HANDLER_TLS thread_local __attribute__((tls_model("initial-exec")))
WINTOOLS_HANDLER_TLS SeTranslator t_translator = nullptr;
WINTOOLS_HANDLER_TLS ExceptionPointers t_pointers;
/// Nesting of the signal handler on this thread (1 inside the first fault).
WINTOOLS_HANDLER_TLS int t_handlerDepth = 0;
/// A fault of this thread has been handed to its translator and its exception
/// is still alive (from the throw to the end of its catch).
WINTOOLS_HANDLER_TLS bool t_translating = false;
/// Lowest address of this thread's stack mapping; 0 when unknown.
WINTOOLS_HANDLER_TLS std::uintptr_t t_stackLow = 0;

std::mutex g_installMutex;
int g_translatorCount = 0;
struct sigaction g_previousActions[kSignalCount];
std::atomic<InvalidParameterHandler> g_invalidParameterHandler{nullptr};
std::atomic<PurecallHandler> g_purecallHandler{nullptr};
std::atomic<UnhandledExceptionFilter> g_unhandledFilter{nullptr};

// The handler runs on its own stack so that a stack overflow can still be reported.
constexpr size_t kAlternateStackSize = 128 * 1024;
WINTOOLS_HANDLER_TLS bool t_alternateStack = false;

// A fault this close to the stack pointer (or this far below the stack's
// mapping) is the stack running out.
constexpr std::uintptr_t kNearStackPointer = 64 * 1024;
constexpr std::uintptr_t kBelowStack = 1024 * 1024;

/// Executable segments of the module that provides malloc.
struct CodeRange
{
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
};
constexpr int kMaximumRanges = 8;
CodeRange g_allocatorRanges[kMaximumRanges];
std::atomic<int> g_allocatorRangeCount{0};
bool g_allocatorLocated = false;

int collectAllocatorRanges(dl_phdr_info* info, size_t, void* data)
{
    const auto target = *static_cast<const std::uintptr_t*>(data);
    bool contains = false;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        const std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
        if (header.p_type == PT_LOAD && target >= begin && target < begin + header.p_memsz)
            contains = true;
    }
    if (!contains)
        return 0;
    int count = 0;
    for (int i = 0; i < info->dlpi_phnum && count < kMaximumRanges; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || !(header.p_flags & PF_X))
            continue;
        g_allocatorRanges[count].begin = info->dlpi_addr + header.p_vaddr;
        g_allocatorRanges[count].end = g_allocatorRanges[count].begin + header.p_memsz;
        ++count;
    }
    g_allocatorRangeCount.store(count);
    return 1;
}

/// Finds, once, the code of the module whose malloc the process calls (the
/// definition that wins symbol lookup, so an allocator that replaces the C
/// library's is the one found).
void locateAllocator()
{
    if (g_allocatorLocated)
        return;
    g_allocatorLocated = true;
    void* symbol = dlsym(RTLD_DEFAULT, "malloc");
    if (!symbol)
        return;
    std::uintptr_t target = reinterpret_cast<std::uintptr_t>(symbol);
    dl_iterate_phdr(collectAllocatorRanges, &target);
}

void ensureAlternateStack()
{
    if (t_alternateStack)
        return;
    stack_t stack{};
    stack.ss_size = std::max<size_t>(kAlternateStackSize, size_t(SIGSTKSZ));
    stack.ss_sp = ::mmap(nullptr, stack.ss_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack.ss_sp != MAP_FAILED && sigaltstack(&stack, nullptr) == 0)
        t_alternateStack = true;
    // The stack's extent, for telling an overflow from other faults.
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        void* low = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attributes, &low, &size) == 0)
            t_stackLow = reinterpret_cast<std::uintptr_t>(low);
        pthread_attr_destroy(&attributes);
    }
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

std::uintptr_t stackPointerOf(const void* context)
{
    if (!context)
        return 0;
    const auto* machine = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return std::uintptr_t(machine->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
    return std::uintptr_t(machine->uc_mcontext.sp);
#else
    (void)machine;
    return 0;
#endif
}

bool isStackOverflow(int signalNumber, const siginfo_t* info, const void* context)
{
    if (!info || (signalNumber != SIGSEGV && signalNumber != SIGBUS))
        return false;
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    const std::uintptr_t stackPointer = stackPointerOf(context);
    if (stackPointer != 0 && address < stackPointer + kNearStackPointer && address + kNearStackPointer > stackPointer)
        return true;
    return t_stackLow != 0 && address < t_stackLow && t_stackLow - address <= kBelowStack;
}

void captureSignal(ExceptionPointers& pointers, int signalNumber, const siginfo_t* info, const void* context,
                   bool withFrames)
{
    pointers = ExceptionPointers{};
    pointers.signalNumber = signalNumber;
    pointers.signalCode = info ? info->si_code : 0;
    pointers.code = codeOfSignal(signalNumber, pointers.signalCode);
    pointers.faultAddress = info ? info->si_addr : nullptr;
#if defined(__x86_64__)
    if (context)
        pointers.instructionAddress =
            reinterpret_cast<void*>(static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    if (context)
        pointers.instructionAddress = reinterpret_cast<void*>(static_cast<const ucontext_t*>(context)->uc_mcontext.pc);
#else
    (void)context;
#endif
    pointers.threadId = currentThreadId();
    // The unwinder was loaded when the handlers were installed; it takes no lock
    // that a fault could hold (glibc 2.35 and later find frames without one).
    if (withFrames)
        pointers.frameCount = backtrace(pointers.frames, ExceptionPointers::kMaximumFrames);
}

/// Why the fault cannot become an exception on this thread; null when it can.
const char* untranslatableReason(int signalNumber, const siginfo_t* info, const void* context,
                                 const ExceptionPointers& pointers, int depth)
{
    if (depth > 1)
        return "fault inside the fault handler";
    if (!info || info->si_code <= 0 || signalNumber == SIGABRT)
        return "abort or signal sent from outside";
    if (!t_translator)
        return "no translator on this thread";
    if (t_translating)
        return "fault while an earlier fault was being translated";
    if (isStackOverflow(signalNumber, info, context))
        return "stack overflow";
    if (isInAllocator(pointers.instructionAddress))
        return "fault inside the memory allocator";
    return nullptr;
}

void onFatalSignal(int signalNumber, siginfo_t* info, void* context)
{
    const int depth = ++t_handlerDepth;
    if (depth > 2)
        ::_exit(255); // the report itself keeps faulting
    ExceptionPointers nested;
    ExceptionPointers& pointers = depth == 1 ? t_pointers : nested;
    captureSignal(pointers, signalNumber, info, context, depth == 1);
    pointers.untranslatedReason = untranslatableReason(signalNumber, info, context, pointers, depth);

    if (!pointers.untranslatedReason) {
        // The translator throws out of this handler: the fault is no longer being
        // handled here, but its translation runs until the exception is destroyed.
        t_translating = true;
        t_handlerDepth = 0;
        t_translator(pointers.code, &pointers);
        t_translating = false;
        t_handlerDepth = depth;
        pointers.untranslatedReason = "the translator returned";
    }
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
    : m_code(code), m_endsTranslation(pointers == &t_pointers && t_translating)
{
    if (pointers)
        m_pointers = *pointers;
    else
        m_pointers.code = code;
}

StructuredExceptionAbstract::StructuredExceptionAbstract(const StructuredExceptionAbstract& other)
    : m_code(other.m_code), m_pointers(other.m_pointers)
{
    std::memcpy(m_text, other.m_text, sizeof m_text);
}

StructuredExceptionAbstract& StructuredExceptionAbstract::operator=(const StructuredExceptionAbstract& other)
{
    m_code = other.m_code;
    m_pointers = other.m_pointers;
    std::memcpy(m_text, other.m_text, sizeof m_text);
    return *this;
}

StructuredExceptionAbstract::~StructuredExceptionAbstract()
{
    if (m_endsTranslation)
        t_translating = false;
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
        locateAllocator();
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

bool isInAllocator(const void* address)
{
    const auto value = reinterpret_cast<std::uintptr_t>(address);
    const int count = g_allocatorRangeCount.load();
    for (int i = 0; i < count; ++i)
        if (value >= g_allocatorRanges[i].begin && value < g_allocatorRanges[i].end)
            return true;
    return false;
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
    const bool translating = t_translating;
    captureExceptionPointers(pointers, code);
    if (t_translator && !translating) {
        t_translating = true;
        t_translator(code, &pointers);
        t_translating = false;
        pointers.untranslatedReason = "the translator returned";
    } else {
        pointers.untranslatedReason = translating ? "raised while an earlier fault was being translated"
                                                  : "no translator on this thread";
    }
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
