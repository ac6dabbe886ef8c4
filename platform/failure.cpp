// Messages of the runtime's failures.
#include "platform/failure.h"

#include <cstdlib>
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

bool MemoryIsShort()
{
    // As much as the largest of start-up's allocations besides the image: a glyph being rendered,
    // a font's tables. Kept in a volatile so that the allocation is really made.
    constexpr std::size_t kProbeBytes = std::size_t { 1 } << 20;
    void* volatile probe = std::malloc(kProbeBytes);
    const bool refused = probe == nullptr;
    std::free(probe);
    return refused;
}

std::string FailureMessage(const std::exception& failure)
{
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return FailureMessage(FailureKind::OutOfMemory);
    return failure.what();
}

}
