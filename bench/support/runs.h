#pragma once
// The figure of repeated benchmark runs: their median and their spread (the lowest and
// the highest), so that one run on a busy machine neither passes nor fails a goal.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench_support {

struct RunSummary {
    double median = 0;
    double low = 0;
    double high = 0;
};

inline RunSummary Summarize(std::vector<double> v)
{
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

// "median of 3, spread 1.02-1.12"
inline std::string Describe(const RunSummary& s, size_t runs, const char* format = "%.2f")
{
    char low[32], high[32];
    std::snprintf(low, sizeof low, format, s.low);
    std::snprintf(high, sizeof high, format, s.high);
    return "median of " + std::to_string(runs) + ", spread " + low + "-" + high;
}

}  // namespace bench_support
