// Messages of the runtime's failures.
#include "platform/failure.h"

#include <new>

namespace tavrel {

RuntimeFailure::RuntimeFailure(FailureKind kind)
    : std::runtime_error(FailureMessage(kind))
    , m_kind(kind)
{
}

const char* FailureMessage(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Overflow:
        return "Overflow";
    case FailureKind::DivisionByZero:
        return "Division by zero";
    case FailureKind::SubscriptOutOfRange:
        return "Subscript out of range";
    case FailureKind::InvalidArgument:
        return "Invalid procedure call or argument";
    case FailureKind::OutOfMemory:
        return "Out of memory";
    }
    return "Unknown failure";
}

std::string FailureMessage(const std::exception& failure)
{
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return FailureMessage(FailureKind::OutOfMemory);
    return failure.what();
}

}
