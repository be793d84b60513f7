#pragma once
// Timing helpers of the benchmarks: this thread's CPU time, so that other work on a
// busy machine does not count, and the median of repeated runs.

#include <algorithm>
#include <ctime>
#include <vector>

namespace bench_support {

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double ThreadCpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// CPU milliseconds of this thread that `f` takes.
template <typename F>
double TimeMs(F&& f)
{
    const double start = ThreadCpuMs();
    f();
    return ThreadCpuMs() - start;
}

}  // namespace bench_support
