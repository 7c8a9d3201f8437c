#ifndef PROGRAMFOLDER_H
#define PROGRAMFOLDER_H

#include <QString>

// The folder of the running executable, links resolved, ending with one "/".
QString programFolder();

#endif // PROGRAMFOLDER_H
