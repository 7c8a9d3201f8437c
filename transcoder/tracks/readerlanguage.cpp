#include "readerlanguage.h"

#include "languagecode.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool namesNoLanguage(const std::string &locale)
{
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    return name == "C" || name == "POSIX";
}

} // namespace

std::string ReaderLanguage::fromVariables(const char *language, const char *lcAll, const char *lcMessages,
                                          const char *lang)
{
    // LANGUAGE is a list ("de_AT:de:en"); empty entries count for nothing.
    const std::string list = language ? language : "";
    const std::size_t start = std::min(list.find_first_not_of(':'), list.size());
    const std::string firstEntry = list.substr(start, list.find(':', start) - start);
    for (const std::string &value : {firstEntry, std::string(lcAll ? lcAll : ""),
                                    std::string(lcMessages ? lcMessages : ""), std::string(lang ? lang : "")}) {
        if (value.empty())
            continue;
        return namesNoLanguage(value) ? std::string() : LanguageCode::primary(value);
    }
    return {};
}

std::string ReaderLanguage::fromEnvironment()
{
    return fromVariables(std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                         std::getenv("LANG"));
}
