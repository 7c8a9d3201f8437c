#ifndef DIRECTORYLISTING_H
#define DIRECTORYLISTING_H

#include <dirent.h>

// The names in a folder that is already open as a descriptor. It lists
// through a duplicate, so the caller's descriptor stays open for the *at()
// calls that act on what the listing finds.
class DirectoryListing
{
public:
    explicit DirectoryListing(int folderFd);
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing &) = delete;
    DirectoryListing &operator=(const DirectoryListing &) = delete;

    bool isValid() const { return directory != nullptr; }
    // The next name, "." and ".." included; nullptr at the end.
    const char *next();

private:
    DIR *directory = nullptr;
};

#endif // DIRECTORYLISTING_H
