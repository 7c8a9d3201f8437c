#ifndef PARTFILE_H
#define PARTFILE_H

#include <string>
#include <sys/types.h>

// The visible stand-in for an unnamed output where the file system has no
// O_TMPFILE (vfat, exFAT, network shares). Its name tells who writes it: the
// machine, its boot, the process and that process's start time. A later run
// can so tell the part of a killed tool from one that is still being written.
class PartFile
{
public:
    // A new name for a part of the output file named outputName; distinct
    // on every call.
    static std::string name(const std::string &outputName);
    // Removes, in the folder, the parts whose writers are gone.
    static void removeStale(const std::string &directory);

private:
    struct Writer
    {
        std::string machine;
        std::string boot;
        pid_t pid = 0;
        unsigned long long startTime = 0;
    };

    static Writer self();
    static bool parse(const std::string &name, Writer *writer);
    static bool isGone(const Writer &writer, time_t modified);
    static std::string firstHexDigits(const char *path);
    static unsigned long long startTimeOf(pid_t pid);
};

#endif // PARTFILE_H
