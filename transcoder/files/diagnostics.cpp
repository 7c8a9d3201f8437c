#include "diagnostics.h"

#include "pathname.h"

#include <cstdio>

void Diagnostics::note(const std::string &text)
{
    std::fprintf(stderr, "tarvelo-transcode: %s\n", PathName::printable(text).c_str());
}
