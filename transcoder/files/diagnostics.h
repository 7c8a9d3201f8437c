#ifndef DIAGNOSTICS_H
#define DIAGNOSTICS_H

#include <string>

namespace Diagnostics {

// One line on standard error under the tool's name, for the user's log;
// control characters in names cannot break it.
void note(const std::string &text);

} // namespace Diagnostics

#endif // DIAGNOSTICS_H
