// Parsing and checking tavrel-trace's arguments.
#include "tools/trace/trace_options.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace tavrel::trace {

namespace {

template<typename Number>
Number ParseNumber(const std::string& text, const std::string& option)
{
    Number value {};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
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

}

TraceOptions ParseTraceOptions(const std::vector<std::string>& arguments)
{
    TraceOptions options;
    bool hasClient = false;
    std::size_t index = 0;
    const auto next = [&](const std::string& option) -> const std::string& {
        if (index >= arguments.size())
            throw std::invalid_argument(option + " is missing its value");
        return arguments[index++];
    };
    while (index < arguments.size()) {
        const std::string option = arguments[index++];
        if (option == "--client") {
            options.ClientWidth = ParseExtent(next(option), option);
            options.ClientHeight = ParseExtent(next(option), option);
            hasClient = true;
        } else if (option == "--cell") {
            options.CellWidth = ParseExtent(next(option), option);
            options.CellHeight = ParseExtent(next(option), option);
        } else if (option == "--steps") {
            options.Steps = ParseNumber<long>(next(option), option);
            if (options.Steps < 0)
                throw std::invalid_argument("--steps takes a count of 0 or more");
        } else if (option == "--frame") {
            options.Frame = true;
        } else if (option == "--state") {
            const long state = ParseNumber<long>(next(option), option);
            if (state < 0 || state > 0xFFFFFF)
                throw std::invalid_argument("--state takes a value from 0 to 16777215");
            options.State = static_cast<std::uint32_t>(state);
        } else if (option == "--png") {
            options.PngFile = next(option);
        } else {
            throw std::invalid_argument("unknown option '" + option + "'");
        }
    }
    if (!hasClient)
        throw std::invalid_argument("--client is required");
    if (options.CellWidth.has_value() == options.PngFile.has_value())
        throw std::invalid_argument("give either --cell or --png");
    return options;
}

}
