#pragma once

// The platform layer that stands for the Windows calls the data link uses for
// its fault guard: the structured-exception translator, the invalid-parameter,
// new and pure-virtual-call handler setters, RaiseException, and the unhandled
// exception filter. On this platform structured exceptions are the fatal
// signals SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT.
//
// The signal handler runs on an alternate stack (set up for every thread that
// sets a translator). It hands a fault to the thread's translator only when the
// translation can run safely: a fault the kernel raised for an instruction of
// this thread, not a stack overflow, not inside the memory allocator (whose
// locks may be held), and not while an earlier fault of the thread is being
// translated. Every other fault goes to the unhandled filter, inside the signal
// handler, which must therefore use async-signal-safe calls only.

#include <cstdint>
#include <exception>
#include <new>

namespace wintools
{

/// Exception codes (the values Windows gives the same faults).
enum ExceptionCode : std::uint32_t
{
    AccessViolation = 0xC0000005u,   ///< SIGSEGV, SIGBUS
    IllegalInstruction = 0xC000001Du,///< SIGILL
    IntegerDivideByZero = 0xC0000094u,
    FloatingPointFault = 0xC0000090u,///< SIGFPE other than integer division
    FatalAbort = 0x40000015u,        ///< SIGABRT
    InvalidParameter = 0xE0000001u,
    OutOfMemory = 0xE0000002u,
    PureVirtualCall = 0xE0000003u
};

/// What a fault leaves for the crash report (stands for EXCEPTION_POINTERS).
/// Captured at the fault, on the faulting thread, without allocating.
struct ExceptionPointers
{
    static constexpr int kMaximumFrames = 64;
    std::uint32_t code = 0;
    int signalNumber = 0;        ///< 0 when raised by raiseException
    int signalCode = 0;          ///< si_code of the signal
    void* faultAddress = nullptr;///< si_addr: the address that faulted
    void* instructionAddress = nullptr;
    long threadId = 0;
    int frameCount = 0;
    void* frames[kMaximumFrames] = {};
    /// Why the fault was not translated into an exception (a static text such as
    /// "stack overflow"); null for a fault handed to a translator.
    const char* untranslatedReason = nullptr;
};

/// Base of every translated fault. Not itself a std::exception, so that the
/// allocation case can also be a std::bad_alloc without an ambiguous base.
class StructuredExceptionAbstract
{
public:
    /// Built by a translator from the record it was given, the exception marks
    /// the end of that fault's translation when it is destroyed (its catch ends):
    /// until then a further fault of the thread is not translated again.
    StructuredExceptionAbstract(std::uint32_t code, const ExceptionPointers* pointers);
    StructuredExceptionAbstract(const StructuredExceptionAbstract& other);
    StructuredExceptionAbstract& operator=(const StructuredExceptionAbstract& other);
    virtual ~StructuredExceptionAbstract();

    std::uint32_t code() const { return m_code; }
    const ExceptionPointers* exceptionPointers() const { return &m_pointers; }
    /// "<base text> - Error code <code as unsigned decimal>".
    const char* text() const { return m_text; }

protected:
    void composeText(const char* base);

private:
    std::uint32_t m_code;
    ExceptionPointers m_pointers;
    char m_text[96] = {};
    bool m_endsTranslation = false;
};

class StructuredException : public StructuredExceptionAbstract, public std::exception
{
public:
    StructuredException(std::uint32_t code, const ExceptionPointers* pointers);
    const char* what() const noexcept override { return text(); }
};

/// Code 0xE0000002 (the new-handler's); also a std::bad_alloc.
class StructuredExceptionBadAlloc : public StructuredExceptionAbstract, public std::bad_alloc
{
public:
    StructuredExceptionBadAlloc(std::uint32_t code, const ExceptionPointers* pointers);
    const char* what() const noexcept override { return text(); }
};

using SeTranslator = void (*)(std::uint32_t code, ExceptionPointers* pointers);
using InvalidParameterHandler = void (*)();
using PurecallHandler = void (*)();
using UnhandledExceptionFilter = void (*)(ExceptionPointers* pointers);

/// Sets the calling thread's translator and returns the previous one. The first
/// translator set installs the fatal-signal handlers; setting the translator
/// back to null on every thread puts the earlier signal dispositions back.
/// Setting a translator also gives the thread its alternate signal stack.
/// A synchronous fault that can be translated safely (see above) reaches the
/// translator, which is expected to throw.
SeTranslator setSeTranslator(SeTranslator translator);

SeTranslator seTranslator();

InvalidParameterHandler setInvalidParameterHandler(InvalidParameterHandler handler);
InvalidParameterHandler invalidParameterHandler();
/// Called by code that detects an invalid argument to a runtime routine.
void invalidParameter();

PurecallHandler setPurecallHandler(PurecallHandler handler);
PurecallHandler purecallHandler();

/// Process-wide filter for faults no translator can or may turn into an
/// exception (signals sent by another process, faults on threads without a
/// translator, aborts, stack overflows, faults inside the allocator or during a
/// translation). It runs inside the signal handler: it must use only
/// async-signal-safe calls, write the report and end the process. A fault
/// inside the filter enters it once more; a third nested fault ends the process
/// at once with exit code 255. If the filter returns, the signal takes its
/// default action.
UnhandledExceptionFilter setUnhandledExceptionFilter(UnhandledExceptionFilter filter);

/// Raises a non-continuable structured exception with no arguments: the calling
/// thread's translator receives it; without one the unhandled filter does, then
/// the process aborts.
[[noreturn]] void raiseException(std::uint32_t code);

/// Captures the calling thread's state into pointers (frames included).
void captureExceptionPointers(ExceptionPointers& pointers, std::uint32_t code);

/// Id of the calling thread as the kernel numbers it.
long currentThreadId();

/// Whether `address` lies in the code of the module that provides malloc (the
/// C library, or an allocator that replaces it). Known once a translator has
/// been set; false before.
bool isInAllocator(const void* address);

} // namespace wintools
