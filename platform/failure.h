// The one failure type of the runtime: overflow, division by zero, a subscript out of range, an
// argument outside an operation's domain and memory running out.
#pragma once

#include <stdexcept>
#include <string>

namespace tavrel {

enum class FailureKind { Overflow, DivisionByZero, SubscriptOutOfRange, InvalidArgument, OutOfMemory };

// Thrown by the numeric helpers and the checked arrays. Start-up lets it reach the error report;
// the tick handlers never let it escape, because they check the cases they can meet beforehand.
class RuntimeFailure : public std::runtime_error {
public:
    explicit RuntimeFailure(FailureKind kind);

    FailureKind Kind() const { return m_kind; }

private:
    FailureKind m_kind;
};

// The message the error report shows for a failure: "Overflow", "Division by zero", ...
const char* FailureMessage(FailureKind kind);

// Whether memory has run out. A library that fails for want of memory often says something else
// (FreeType's "Couldn't find glyph") or nothing at all, so a library's failure is checked against
// this before its own words are reported.
bool MemoryIsShort();

// The message for any failure that reaches an error report: the runtime's own for memory running
// out, whichever part of the platform ran out of it, and the failure's text otherwise.
std::string FailureMessage(const std::exception& failure);

}
