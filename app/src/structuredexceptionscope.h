#pragma once

#include "wintools.h"

#include <new>

/// Turns platform faults into C++ exceptions for the lifetime of the scope.
/// Installs, in this order, the structured-exception translator (for the
/// calling thread), the invalid-parameter handler, the new-handler and the
/// pure-virtual-call handler, keeping the previous ones; the destructor puts
/// the previous four back in the same order.
///
/// Translated codes: 0xE0000002 becomes wintools::StructuredExceptionBadAlloc,
/// every other code wintools::StructuredException. The three handlers raise
/// 0xE0000001, 0xE0000002 and 0xE0000003.
class StructuredExceptionScope
{
public:
    StructuredExceptionScope();
    ~StructuredExceptionScope();

    StructuredExceptionScope(const StructuredExceptionScope&) = delete;
    StructuredExceptionScope& operator=(const StructuredExceptionScope&) = delete;

private:
    wintools::SeTranslator m_previousTranslator;
    wintools::InvalidParameterHandler m_previousInvalidParameter;
    std::new_handler m_previousNewHandler;
    wintools::PurecallHandler m_previousPurecall;
};
