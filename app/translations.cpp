#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

bool installCatalogue(QCoreApplication *application, const QLocale &language, const QString &name,
                      const QString &folder)
{
    auto *translator = new QTranslator(application);
    if (translator->load(language, name, QStringLiteral("_"), folder) && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace

void installTranslations(QCoreApplication *application, const QString &folder, const QStringList &languages)
{
    for (const QString &name : languages) {
        const QLocale language(name);
        // A reader who puts English first gets English, not a language
        // further down the list that happens to have a catalogue.
        if (language.language() == QLocale::English)
            return;
        if (installCatalogue(application, language, QStringLiteral("tarvelo"), folder)) {
            // Qt's texts in the same language, so that one dialog never mixes two.
            installCatalogue(application, language, QStringLiteral("qtbase"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
            return;
        }
    }
}
