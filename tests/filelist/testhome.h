#ifndef TESTHOME_H
#define TESTHOME_H

// Points HOME and the XDG folders at a temporary folder for the whole test
// run, so that the window's output folder and the dialogs' remembered state
// never touch the real home. Call before the application object exists.
class TestHome
{
public:
    static void enter();
};

#endif // TESTHOME_H
