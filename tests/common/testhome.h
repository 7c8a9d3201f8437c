#ifndef TESTHOME_H
#define TESTHOME_H

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A temporary home folder, so that the output folder the window creates and
// the state the dialogs remember never touch the real home. A test enters it
// itself or hands it to the programs it starts.
class TestHome
{
public:
    TestHome();

    bool isValid() const { return home.isValid(); }
    QString path() const { return home.path(); }
    QString filePath(const QString &name) const { return home.filePath(name); }

    // Names the documents folder in the XDG user dirs, relative to the home.
    bool setDocumentsFolder(const QString &name) const;
    // Points HOME and the XDG folders of this process at the home.
    void enter() const;
    // Gives a program about to start this home.
    void applyTo(QProcessEnvironment &environment) const;
    // The environment of a program started with this home, headless.
    QProcessEnvironment environment() const;

    // Enters a home kept for the whole test run: from initMain(), before
    // the application object reads its environment.
    static void enterForTheWholeRun();

private:
    QTemporaryDir home;
};

#endif // TESTHOME_H
