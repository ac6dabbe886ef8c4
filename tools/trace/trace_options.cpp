// Parsing and checking tavrel-trace's arguments.
#include "tools/trace/trace_options.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <stdexcept>
#include <type_traits>

namespace tavrel::trace {

namespace {

// from_chars for floats is missing from some standard libraries (WebAssembly's): strtof, held to
// from_chars' syntax (no spaces, no plus sign, no hexadecimal), serves every build alike.
std::from_chars_result FloatFromChars(const char* first, const char* last, float& value)
{
    const std::string text(first, last);
    if (text.empty() || text.front() == ' ' || text.front() == '+' || text.find_first_of("xX\t\n\v\f\r") != std::string::npos)
        return { first, std::errc::invalid_argument };
    char* end = nullptr;
    errno = 0;
    value = std::strtof(text.c_str(), &end);
    if (end == text.c_str())
        return { first, std::errc::invalid_argument };
    return { first + (end - text.c_str()), errno == ERANGE ? std::errc::result_out_of_range : std::errc {} };
}

template<typename Number>
Number ParseNumber(const std::string& text, const std::string& option)
{
    Number value {};
    const auto [end, error] = [&] {
        if constexpr (std::is_same_v<Number, float>)
            return FloatFromChars(text.data(), text.data() + text.size(), value);
        else
            return std::from_chars(text.data(), text.data() + text.size(), value);
    }();
    if (error == std::errc::result_out_of_range && end == text.data() + text.size()) {
        const bool negative = !text.empty() && text.front() == '-';
        throw std::invalid_argument(option + (negative ? " takes at least " : " takes at most ")
            + std::to_string(negative ? std::numeric_limits<Number>::lowest() : std::numeric_limits<Number>::max()) + ", not '" + text + "'");
    }
    if (error != std::errc {} || end != text.data() + text.size())
        throw std::invalid_argument(option + " takes numbers, not '" + text + "'");
    return value;
}

float ParseExtent(const std::string& text, const std::string& option)
{
    const float value = ParseNumber<float>(text, option);
    if (!std::isfinite(value) || value < 0)
        throw std::invalid_argument(option + " takes sizes of 0 or more, not '" + text + "'");
    return value;
}

long long ParseInRange(const std::string& text, const std::string& option, long long lowest, long long highest)
{
    const long long value = ParseNumber<long long>(text, option);
    if (value < lowest || value > highest)
        throw std::invalid_argument(option + " takes a value from " + std::to_string(lowest) + " to " + std::to_string(highest) + ", not '" + text + "'");
    return value;
}

}

TraceOptions ParseTraceOptions(const std::vector<std::string>& arguments)
{
    TraceOptions options;
    std::set<std::string> given;
    std::size_t index = 0;
    const auto next = [&](const std::string& option) -> const std::string& {
        if (index >= arguments.size())
            throw std::invalid_argument(option + " is missing its value");
        return arguments[index++];
    };
    while (index < arguments.size()) {
        const std::string option = arguments[index++];
        if (option.starts_with("--") && !given.insert(option).second)
            throw std::invalid_argument(option + " is given more than once");
        if (option == "--client") {
            options.ClientWidth = ParseExtent(next(option), option);
            options.ClientHeight = ParseExtent(next(option), option);
        } else if (option == "--cell") {
            options.CellWidth = ParseExtent(next(option), option);
            options.CellHeight = ParseExtent(next(option), option);
        } else if (option == "--steps") {
            options.Steps = ParseInRange(next(option), option, 0, std::numeric_limits<long long>::max());
        } else if (option == "--frame") {
            options.Frame = true;
        } else if (option == "--state") {
            options.State = static_cast<std::uint32_t>(ParseInRange(next(option), option, 0, 0xFFFFFF));
        } else if (option == "--png") {
            options.PngFile = next(option);
        } else if (option == "--dpi") {
            options.DotsPerInch = static_cast<int>(ParseInRange(next(option), option, kLowestDotsPerInch, kHighestDotsPerInch));
        } else {
            throw std::invalid_argument("unknown option '" + option + "'");
        }
    }
    if (!given.contains("--client"))
        throw std::invalid_argument("--client is required");
    if (options.CellWidth.has_value() == options.PngFile.has_value())
        throw std::invalid_argument("give either --cell or --png");
    if (given.contains("--dpi") && !options.PngFile)
        throw std::invalid_argument("--dpi goes with --png: --cell gives the cell itself");
    return options;
}

}
