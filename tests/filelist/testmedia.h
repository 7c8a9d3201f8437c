#ifndef TESTMEDIA_H
#define TESTMEDIA_H

#include <QString>

// Tiny media made by the real ffmpeg at test time, and the real tool.
class TestMedia
{
public:
    // A three-second clip with picture and sound, written to path.
    static bool makeClip(const QString &path);

    // The built transcoder's folder, or an empty string while it is not built.
    static QString realToolFolder();
};

#endif // TESTMEDIA_H
