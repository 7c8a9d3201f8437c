#ifndef LANGUAGECODE_H
#define LANGUAGECODE_H

#include <string>
#include <vector>

// Languages as files and locales name them: ISO 639-1 ("de"), ISO 639-2
// bibliographic ("ger") and terminological ("deu"), with or without a region
// ("de_AT", "pt-BR"). Matroska and MP4 tag tracks with the three-letter codes,
// locales use the two-letter ones; both must meet.
namespace LanguageCode {

// The language part alone, lower case: "de_AT.UTF-8" gives "de".
std::string primary(const std::string &tag);
// Whether two tags name the same language; an empty or undetermined ("und")
// tag matches nothing.
bool same(const std::string &a, const std::string &b);
// Every code the language goes by (for file names such as "film.de.srt").
std::vector<std::string> forms(const std::string &tag);
// The Windows code page that players expect for text in the language; 0
// where there is none (then only UTF-8 serves).
int codePage(const std::string &tag);

} // namespace LanguageCode

#endif // LANGUAGECODE_H
