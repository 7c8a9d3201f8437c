#ifndef DIAGNOSTICS_H
#define DIAGNOSTICS_H

#include "pathname.h"

#include <cstdio>

namespace Diagnostics {

// One line on standard error under the tool's name, for the user's log;
// control characters in names cannot break it.
inline void note(const std::string &text)
{
    std::fprintf(stderr, "tarvelo-transcode: %s\n", PathName::printable(text).c_str());
}

} // namespace Diagnostics

#endif // DIAGNOSTICS_H
