// Checked writes through stdio.
#include "tools/trace/checked_output.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavrel::trace {

CheckedOutput& CheckedOutput::operator<<(std::string_view text)
{
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), m_file) != text.size())
        Fail();
    return *this;
}

CheckedOutput& CheckedOutput::operator<<(long long number)
{
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, number);
    return *this << std::string_view(text, static_cast<std::size_t>(result.ptr - text));
}

// The fewest significant digits that read back as the same float, as the shortest to_chars
// gives; written with printf, which every build's library has for floats.
CheckedOutput& CheckedOutput::operator<<(float number)
{
    char text[32];
    for (int digits = 1;; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(number));
        if (std::strtof(text, nullptr) == number || digits >= 9)
            return *this << std::string_view(text);
    }
}

void CheckedOutput::Finish()
{
    if (std::fflush(m_file) != 0 || std::ferror(m_file))
        Fail();
}

void CheckedOutput::Fail() const
{
    const int error = errno;
    throw WriteError("Couldn't write " + m_what + ": " + (error ? std::strerror(error) : "the write failed"));
}

}
