// Font lookup through fontconfig.
#include "platform/sdl/font_file.h"

#include "platform/sdl/sdl_handles.h"

#include <fontconfig/fontconfig.h>

#include <filesystem>
#include <memory>
#include <optional>
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

// A file of the name given in fontconfig's font folders, found without fontconfig's cache.
std::optional<std::string> FindOnDisk(FcConfig& config, const std::string& fileName)
{
    const std::unique_ptr<FcStrList, decltype(&FcStrListDone)> folders(FcConfigGetFontDirs(&config), &FcStrListDone);
    if (!folders)
        return std::nullopt;
    while (const FcChar8* folder = FcStrListNext(folders.get())) {
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator entry(reinterpret_cast<const char*>(folder), std::filesystem::directory_options::skip_permission_denied, error), end;
             !error && entry != end; entry.increment(error)) {
            if (entry->path().filename() == fileName && entry->is_regular_file(error))
                return entry->path().string();
        }
    }
    return std::nullopt;
}

PlatformError NotInstalled(FcConfig& config, const std::string& failure, const std::string& fileName, const std::string& reason)
{
    if (const auto found = FindOnDisk(config, fileName))
        return LibraryError(failure, "it is installed (" + *found + ") but fontconfig's cache does not list it: rebuild the cache with fc-cache -f");
    return LibraryError(failure, reason);
}

}

std::string FindFontFile(const std::string& family, const std::string& usualFileName)
{
    const std::string failure = "Couldn't find the window font " + family;
    std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
    if (!config)
        throw LibraryError(failure, "fontconfig could not load its configuration");
    std::unique_ptr<FcPattern, PatternDeleter> wanted(FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())));
    if (!wanted)
        throw LibraryError(failure, "fontconfig could not read the name");
    FcConfigSubstitute(config.get(), wanted.get(), FcMatchPattern);
    FcDefaultSubstitute(wanted.get());
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcPattern, PatternDeleter> match(FcFontMatch(config.get(), wanted.get(), &result));
    if (!match)
        throw NotInstalled(*config, failure, usualFileName, "no font is installed (install fonts-dejavu-core)");
    const std::string matchedFamily = Property(match.get(), FC_FAMILY);
    if (strcasecmp(matchedFamily.c_str(), family.c_str()) != 0)
        throw NotInstalled(*config, failure, usualFileName, "only " + matchedFamily + " is installed (install fonts-dejavu-core)");
    const std::string file = Property(match.get(), FC_FILE);
    if (file.empty())
        throw LibraryError(failure, "fontconfig gave no file for it");
    return file;
}

}
