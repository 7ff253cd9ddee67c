#include "structuredexceptionscope.h"

namespace
{

void translate(std::uint32_t code, wintools::ExceptionPointers* pointers)
{
    if (code == wintools::OutOfMemory)
        throw wintools::StructuredExceptionBadAlloc(code, pointers);
    throw wintools::StructuredException(code, pointers);
}

void onInvalidParameter()
{
    wintools::raiseException(wintools::InvalidParameter);
}

void onOutOfMemory()
{
    wintools::raiseException(wintools::OutOfMemory);
}

void onPureVirtualCall()
{
    wintools::raiseException(wintools::PureVirtualCall);
}

} // namespace

StructuredExceptionScope::StructuredExceptionScope()
    : m_previousTranslator(wintools::setSeTranslator(translate))
    , m_previousInvalidParameter(wintools::setInvalidParameterHandler(onInvalidParameter))
    , m_previousNewHandler(std::set_new_handler(onOutOfMemory))
    , m_previousPurecall(wintools::setPurecallHandler(onPureVirtualCall))
{
}

StructuredExceptionScope::~StructuredExceptionScope()
{
    wintools::setSeTranslator(m_previousTranslator);
    wintools::setInvalidParameterHandler(m_previousInvalidParameter);
    std::set_new_handler(m_previousNewHandler);
    wintools::setPurecallHandler(m_previousPurecall);
}
