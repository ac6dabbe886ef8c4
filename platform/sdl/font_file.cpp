// Font lookup through fontconfig.
#include "platform/sdl/font_file.h"

#include "platform/sdl/sdl_handles.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <strings.h>

namespace tavrel::sdl {

namespace {

struct ConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};

std::string Property(FcPattern* pattern, const char* name)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, name, 0, &value) != FcResultMatch || !value)
        return {};
    return reinterpret_cast<const char*>(value);
}

}

std::string FindFontFile(const std::string& family)
{
    const std::string failure = "Couldn't find the window font " + family;
    std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
    if (!config)
        throw LibraryError(failure + ": fontconfig could not load its configuration");
    std::unique_ptr<FcPattern, PatternDeleter> wanted(FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())));
    if (!wanted)
        throw LibraryError(failure + ": fontconfig could not read the name");
    FcConfigSubstitute(config.get(), wanted.get(), FcMatchPattern);
    FcDefaultSubstitute(wanted.get());
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcPattern, PatternDeleter> match(FcFontMatch(config.get(), wanted.get(), &result));
    if (!match)
        throw LibraryError(failure + ": no font is installed (install fonts-dejavu-core)");
    const std::string matchedFamily = Property(match.get(), FC_FAMILY);
    if (strcasecmp(matchedFamily.c_str(), family.c_str()) != 0)
        throw LibraryError(failure + ": only " + matchedFamily + " is installed (install fonts-dejavu-core)");
    const std::string file = Property(match.get(), FC_FILE);
    if (file.empty())
        throw LibraryError(failure + ": fontconfig gave no file for it");
    return file;
}

}
