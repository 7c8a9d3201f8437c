#ifndef TIMESPANS_H
#define TIMESPANS_H

#include <cstdint>
#include <utility>
#include <vector>

// Spans of a timeline, from and to in milliseconds, in order.
using TimeSpans = std::vector<std::pair<std::int64_t, std::int64_t>>;

#endif // TIMESPANS_H
