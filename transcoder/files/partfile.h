#ifndef PARTFILE_H
#define PARTFILE_H

#include <string>

// The visible stand-in for an unnamed output where the file system has no
// O_TMPFILE (vfat, exFAT, network shares). Its name tells who writes it: the
// machine, its boot, the process and that process's start time. A later run
// can so tell the part of a killed tool from one that is still being written.
namespace PartFile {

// A new name for a part of the output file named outputName; distinct
// on every call.
std::string name(const std::string &outputName);
// Removes, in the folder, the parts whose writers are gone.
void removeStale(const std::string &directory);

} // namespace PartFile

#endif // PARTFILE_H
