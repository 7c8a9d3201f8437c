#include "app/mainwindow.h"
#include "app/translations.h"
#include "processrun.h"
#include "testhome.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

const QString catalogueFolder = QStringLiteral(TARVELO_SOURCE_DIR "/resources/translations");
const QString builtFolder = QStringLiteral(TARVELO_PROGRAM_DIR "/translations");

struct Message
{
    QString context;
    QString source;
    QStringList translations; // one per plural form
    QString type;
};

QList<Message> readCatalogue(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QList<Message> messages;
    QString context;
    bool plural = false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        // Only a context has a name; everything else belongs to the last message.
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            plural = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
            messages.append({context, {}, {}, {}});
        } else if (name == QLatin1String("source")) {
            messages.last().source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            messages.last().type = xml.attributes().value(QLatin1String("type")).toString();
            if (!plural)
                messages.last().translations.append(xml.readElementText());
        } else if (name == QLatin1String("numerusform")) {
            messages.last().translations.append(xml.readElementText());
        }
    }
    if (xml.hasError())
        qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return messages;
}

// What a translation must carry over unchanged: the arguments, the file
// dialog's name patterns and the line breaks the boxes are laid out with.
QStringList markers(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%L?[0-9]+|%n|\\*\\.(\\w+|\\*)|\\n"));
    QStringList found;
    for (auto match = marker.globalMatch(text); match.hasNext();)
        found.append(match.next().captured());
    found.sort();
    return found;
}

// The letters underlined for Alt; "&&" is a plain ampersand.
int mnemonicCount(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            ++count;
        ++i;
    }
    return count;
}

QString key(const Message &message)
{
    return message.context + QLatin1Char('|') + message.source;
}

QStringList catalogueFiles()
{
    return QDir(catalogueFolder).entryList({QStringLiteral("tarvelo_*.ts")}, QDir::Files, QDir::Name);
}

} // namespace

// The catalogues against the sources, and the window in the reader's language.
// ctest runs this with LANGUAGE=de.
class TestTranslations : public QObject
{
    Q_OBJECT

public:
    static void initMain() { TestHome::enterForTheWholeRun(); }

private slots:
    void cataloguesCompleteAndFaithful_data();
    void cataloguesCompleteAndFaithful();
    void cataloguesFollowTheSources();
    void windowKeysUniqueInEachLanguage_data();
    void windowKeysUniqueInEachLanguage();
    void firstAvailableLanguageChosen_data();
    void firstAvailableLanguageChosen();
    void cleanup();
};

void TestTranslations::cleanup()
{
    // A translator's destructor takes it out of the application.
    qDeleteAll(qApp->findChildren<QTranslator *>());
}

void TestTranslations::cataloguesCompleteAndFaithful_data()
{
    QTest::addColumn<QString>("file");
    const QStringList files = catalogueFiles();
    QVERIFY(files.size() >= 7);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << file;
}

void TestTranslations::cataloguesCompleteAndFaithful()
{
    QFETCH(QString, file);
    QStringList faults;
    const QList<Message> messages = readCatalogue(catalogueFolder + QLatin1Char('/') + file);
    QVERIFY(!messages.isEmpty());
    for (const Message &message : messages) {
        if (message.type == QLatin1String("vanished") || message.type == QLatin1String("obsolete"))
            continue;
        const QString where = QStringLiteral("\"%1\": ").arg(message.source);
        if (message.type == QLatin1String("unfinished"))
            faults.append(where + QStringLiteral("unfinished"));
        for (const QString &translation : message.translations) {
            if (translation.trimmed().isEmpty())
                faults.append(where + QStringLiteral("empty"));
            else if (markers(translation) != markers(message.source))
                faults.append(where + QStringLiteral("placeholders, patterns or line breaks differ in \"%1\"").arg(translation));
            else if (mnemonicCount(translation) != mnemonicCount(message.source))
                faults.append(where + QStringLiteral("keyboard accelerator lost or added in \"%1\"").arg(translation));
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// A text added to the sources but not yet to the catalogues would be shown in
// English: the same scan as the update_translations target finds it.
void TestTranslations::cataloguesFollowTheSources()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString fresh = work.filePath(QStringLiteral("fresh.ts"));
    const ProcessRun scan = runProcess(QStringLiteral(TARVELO_LUPDATE),
                                       {QStringLiteral("@" TARVELO_TRANSLATED_SOURCES), QStringLiteral("-locations"),
                                        QStringLiteral("none"), QStringLiteral("-ts"), fresh},
                                       QProcessEnvironment::systemEnvironment(), QString(), 60000);
    QVERIFY2(scan.succeeded(), scan.err.constData());
    QStringList wanted;
    for (const Message &message : readCatalogue(fresh))
        wanted.append(key(message));
    QVERIFY(wanted.size() > 40);

    for (const QString &file : catalogueFiles()) {
        QSet<QString> missing(wanted.cbegin(), wanted.cend());
        for (const Message &message : readCatalogue(catalogueFolder + QLatin1Char('/') + file))
            missing.remove(key(message));
        QVERIFY2(missing.isEmpty(), qPrintable(file + QStringLiteral(" lacks (build the update_translations target): ")
                                               + missing.values().join(QStringLiteral(", "))));
    }
}

void TestTranslations::windowKeysUniqueInEachLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << QString();
    for (QString file : catalogueFiles())
        QTest::newRow(qPrintable(file)) << file.remove(QStringLiteral("tarvelo_")).remove(QStringLiteral(".ts"));
}

void TestTranslations::windowKeysUniqueInEachLanguage()
{
    QFETCH(QString, language);
    if (!language.isEmpty()) {
        installTranslations(qApp, builtFolder, {language});
        QVERIFY2(!qApp->findChildren<QTranslator *>().isEmpty(), qPrintable(language + " not built"));
    }
    MainWindow window;
    QStringList keys;
    for (const QWidget *child : window.findChildren<QWidget *>()) {
        QString text;
        if (auto *button = qobject_cast<const QAbstractButton *>(child))
            text = button->text();
        else if (auto *label = qobject_cast<const QLabel *>(child))
            text = label->text();
        const QKeySequence mnemonic = QKeySequence::mnemonic(text);
        if (mnemonic.isEmpty())
            continue;
        const QString key = mnemonic.toString();
        QVERIFY2(!keys.contains(key), qPrintable(QStringLiteral("%1 twice, again on %2").arg(key, child->objectName())));
        keys.append(key);
    }
    QVERIFY(keys.size() >= 7);
}

void TestTranslations::firstAvailableLanguageChosen_data()
{
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QString>("convertText");
    QTest::addColumn<QString>("helpText");
    QTest::addColumn<QString>("cancelText"); // Qt's own, from its base catalogue
    QTest::newRow("reader's own (LANGUAGE=de)") << QLocale().uiLanguages() << "Datei(en) &konvertieren" << "&Hilfe" << "Abbrechen";
    QTest::newRow("German") << QStringList{"de-DE", "de"} << "Datei(en) &konvertieren" << "&Hilfe" << "Abbrechen";
    QTest::newRow("Brazilian") << QStringList{"pt-BR", "pt"} << "&Converter arquivo(s)" << "A&juda" << "Cancelar";
    QTest::newRow("Japanese, then French") << QStringList{"ja-JP", "ja", "fr-CH"} << "&Convertir les fichiers"
                                           << "Ai&de" << "Annuler";
    QTest::newRow("English, then German") << QStringList{"en-GB", "de"} << "&Convert File(s)" << "&Help" << "Cancel";
    QTest::newRow("no language") << QStringList{"C"} << "&Convert File(s)" << "&Help" << "Cancel";
}

void TestTranslations::firstAvailableLanguageChosen()
{
    QFETCH(QStringList, languages);
    QFETCH(QString, convertText);
    QFETCH(QString, helpText);
    QFETCH(QString, cancelText);
    installTranslations(qApp, builtFolder, languages);
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvelo"));
    QCOMPARE(window.findChild<QPushButton *>(QStringLiteral("btnConvert"))->text(), convertText);
    QCOMPARE(window.findChild<QPushButton *>(QStringLiteral("btnHelp"))->text(), helpText);
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Cancel, &window);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), cancelText);
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
