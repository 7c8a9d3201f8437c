#include "directorylisting.h"

#include "uniquefd.h"

#include <fcntl.h>

DirectoryListing::DirectoryListing(int folderFd)
{
    UniqueFd listing(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    if (!listing.isValid())
        return;
    directory = ::fdopendir(listing.get());
    // From here on the stream owns the duplicate and closedir() ends it.
    if (directory)
        listing.release();
}

DirectoryListing::~DirectoryListing()
{
    if (directory)
        ::closedir(directory);
}

const char *DirectoryListing::next()
{
    const dirent *entry = directory ? ::readdir(directory) : nullptr;
    return entry ? entry->d_name : nullptr;
}
