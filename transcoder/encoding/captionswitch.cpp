#include "captionswitch.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string seconds(std::int64_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%lld.%03lld", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

// Spans [first, last] of the list, split at the middle one's start.
std::string search(const TimeSpans &spans, std::size_t first, std::size_t last)
{
    if (first == last)
        return "gte(t," + seconds(spans[first].first) + ")*lt(t," + seconds(spans[first].second) + ")";
    const std::size_t middle = (first + last + 1) / 2;
    return "if(lt(t," + seconds(spans[middle].first) + ")," + search(spans, first, middle - 1) + ","
           + search(spans, middle, last) + ")";
}

TimeSpans joined(const TimeSpans &spans, std::int64_t gap)
{
    TimeSpans result;
    for (const auto &span : spans) {
        if (!result.empty() && span.first - result.back().second < gap)
            result.back().second = std::max(result.back().second, span.second);
        else
            result.push_back(span);
    }
    return result;
}

} // namespace

std::string CaptionSwitch::expression(const TimeSpans &spans, std::size_t longest)
{
    TimeSpans kept = joined(spans, 1);
    while (!kept.empty()) {
        const std::string text = search(kept, 0, kept.size() - 1);
        if (text.size() <= longest || kept.size() == 1)
            return text;
        // The shortest gaps go first, as many as should leave a tenth to spare.
        const std::size_t target = std::max<std::size_t>(1, kept.size() * longest / text.size() * 9 / 10);
        std::vector<std::int64_t> gaps;
        for (std::size_t i = 1; i < kept.size(); ++i)
            gaps.push_back(kept[i].first - kept[i - 1].second);
        const auto cut = gaps.begin() + std::ptrdiff_t(kept.size() - target - 1);
        std::nth_element(gaps.begin(), cut, gaps.end());
        kept = joined(kept, *cut + 1);
    }
    return {};
}
