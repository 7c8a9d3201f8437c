#ifndef TRANSLATIONS_H
#define TRANSLATIONS_H

#include <QLocale>
#include <QString>
#include <QStringList>

class QCoreApplication;

// Shows the application's texts, and Qt's own (standard buttons, file
// dialogs), in the first of the reader's languages, in order of preference,
// that the application has a catalogue for in folder. English, the texts' own
// language, ends the search where it stands. The translators belong to
// application.
void installTranslations(QCoreApplication *application, const QString &folder,
                         const QStringList &languages = QLocale().uiLanguages());

#endif // TRANSLATIONS_H
