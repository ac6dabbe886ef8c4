// An output stream whose every write is checked, so that output lost to a full disk or a closed
// pipe is reported as a failure instead of a truncated success.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavrel::trace {

// "Couldn't write <what>: <reason>"
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CheckedOutput {
public:
    // what names the stream in messages, for example "the standard output".
    CheckedOutput(std::FILE* file, std::string what)
        : m_file(file)
        , m_what(std::move(what))
    {
    }

    CheckedOutput& operator<<(std::string_view text);
    CheckedOutput& operator<<(char character) { return *this << std::string_view(&character, 1); }
    CheckedOutput& operator<<(long long number);
    CheckedOutput& operator<<(int number) { return *this << static_cast<long long>(number); }
    // The shortest text that reads back as the same float.
    CheckedOutput& operator<<(float number);

    // Flushes what is buffered; throws WriteError when any of it could not be written.
    void Finish();

private:
    [[noreturn]] void Fail() const;

    std::FILE* m_file;
    std::string m_what;
};

}
