#ifndef READERLANGUAGE_H
#define READERLANGUAGE_H

#include <string>

// The language the person at the computer reads, as gettext would find it:
// the first entry of LANGUAGE, else LC_ALL, LC_MESSAGES or LANG, whichever is
// set first. "C" and "POSIX" name no language.
namespace ReaderLanguage {

// The language code ("de", "pt"), or nothing. Null pointers stand for unset variables.
std::string fromVariables(const char *language, const char *lcAll, const char *lcMessages, const char *lang);
std::string fromEnvironment();

} // namespace ReaderLanguage

#endif // READERLANGUAGE_H
