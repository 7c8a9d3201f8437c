#include "languagecode.h"

#include <cctype>
#include <cstring>

namespace {

struct Language
{
    const char *iso1;
    const char *bibliographic;
    const char *terminological;
    int codePage;
};

// Players pick the code page from the text's language, as Windows did for
// subtitle files; languages without one of their own are listed for
// matching only.
constexpr Language languages[] = {
    {"en", "eng", "eng", 1252}, {"de", "ger", "deu", 1252}, {"fr", "fre", "fra", 1252},
    {"es", "spa", "spa", 1252}, {"it", "ita", "ita", 1252}, {"pt", "por", "por", 1252},
    {"nl", "dut", "nld", 1252}, {"da", "dan", "dan", 1252}, {"sv", "swe", "swe", 1252},
    {"no", "nor", "nor", 1252}, {"nb", "nob", "nob", 1252}, {"nn", "nno", "nno", 1252},
    {"fi", "fin", "fin", 1252}, {"is", "ice", "isl", 1252}, {"ga", "gle", "gle", 1252},
    {"ca", "cat", "cat", 1252}, {"eu", "baq", "eus", 1252}, {"gl", "glg", "glg", 1252},
    {"af", "afr", "afr", 1252}, {"fo", "fao", "fao", 1252}, {"lb", "ltz", "ltz", 1252},
    {"ms", "may", "msa", 1252}, {"id", "ind", "ind", 1252}, {"sw", "swa", "swa", 1252},
    {"la", "lat", "lat", 1252}, {"gd", "gla", "gla", 1252}, {"br", "bre", "bre", 1252},
    {"oc", "oci", "oci", 1252}, {"cy", "wel", "cym", 1252}, {"rm", "roh", "roh", 1252},
    {"pl", "pol", "pol", 1250}, {"cs", "cze", "ces", 1250}, {"sk", "slo", "slk", 1250},
    {"hu", "hun", "hun", 1250}, {"sl", "slv", "slv", 1250}, {"hr", "hrv", "hrv", 1250},
    {"bs", "bos", "bos", 1250}, {"ro", "rum", "ron", 1250}, {"sq", "alb", "sqi", 1250},
    {"sr", "srp", "srp", 1250},
    {"ru", "rus", "rus", 1251}, {"uk", "ukr", "ukr", 1251}, {"be", "bel", "bel", 1251},
    {"bg", "bul", "bul", 1251}, {"mk", "mac", "mkd", 1251}, {"mn", "mon", "mon", 1251},
    {"ky", "kir", "kir", 1251},
    {"el", "gre", "ell", 1253},
    {"tr", "tur", "tur", 1254}, {"az", "aze", "aze", 1254},
    {"he", "heb", "heb", 1255}, {"yi", "yid", "yid", 1255},
    {"ar", "ara", "ara", 1256}, {"fa", "per", "fas", 1256}, {"ur", "urd", "urd", 1256},
    {"et", "est", "est", 1257}, {"lv", "lav", "lav", 1257}, {"lt", "lit", "lit", 1257},
    {"ja", "jpn", "jpn", 932}, {"zh", "chi", "zho", 936}, {"ko", "kor", "kor", 949},
    {"vi", "vie", "vie", 0}, {"th", "tha", "tha", 0}, {"hi", "hin", "hin", 0},
    {"bn", "ben", "ben", 0}, {"ta", "tam", "tam", 0}, {"te", "tel", "tel", 0},
    {"ka", "geo", "kat", 0}, {"hy", "arm", "hye", 0}, {"kk", "kaz", "kaz", 0},
    {"eo", "epo", "epo", 0},
};

// Tags that say the language is not known or not one language.
constexpr const char *noLanguage[] = {"und", "mul", "zxx", "mis", "qaa"};

std::string lowered(const std::string &text)
{
    std::string result = text;
    for (char &c : result)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

const Language *find(const std::string &code)
{
    for (const Language &language : languages) {
        if (code == language.iso1 || code == language.bibliographic || code == language.terminological)
            return &language;
    }
    return nullptr;
}

// Traditional Chinese is told apart by its region or script subtag only.
bool isTraditionalChinese(const std::string &tag)
{
    const std::string lower = lowered(tag);
    for (const char *mark : {"hant", "tw", "hk", "mo"}) {
        const std::size_t at = lower.find(mark, 2);
        if (at != std::string::npos && !std::isalpha(static_cast<unsigned char>(lower[at - 1]))
            && !std::isalpha(static_cast<unsigned char>(lower[at + std::strlen(mark)])))
            return true;
    }
    return false;
}

} // namespace

std::string LanguageCode::primary(const std::string &tag)
{
    const std::string code = lowered(tag.substr(0, tag.find_first_of("_-.@:")));
    for (const char *none : noLanguage) {
        if (code == none)
            return {};
    }
    return code;
}

bool LanguageCode::same(const std::string &a, const std::string &b)
{
    const std::string first = primary(a);
    const std::string second = primary(b);
    if (first.empty() || second.empty())
        return false;
    const Language *language = find(first);
    return language ? language == find(second) : first == second;
}

std::vector<std::string> LanguageCode::forms(const std::string &tag)
{
    const std::string code = primary(tag);
    const Language *language = find(code);
    if (!language)
        return code.empty() ? std::vector<std::string>{} : std::vector<std::string>{code};
    std::vector<std::string> result{language->iso1, language->bibliographic};
    if (result.back() != language->terminological)
        result.push_back(language->terminological);
    return result;
}

int LanguageCode::codePage(const std::string &tag)
{
    const Language *language = find(primary(tag));
    if (!language)
        return 0;
    if (language->codePage == 936 && isTraditionalChinese(tag))
        return 950;
    return language->codePage;
}
