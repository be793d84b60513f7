#pragma once
// Counts of live objects and server locks of one component library, for
// DllCanUnloadNow. Each library links its own copy (symbols are hidden).

#include <atomic>

namespace component_shell {

class Module {
public:
    static void Lock() { count().fetch_add(1); }
    static void Unlock() { count().fetch_sub(1); }
    static long LockCount() { return count().load(); }

private:
    static std::atomic<long>& count()
    {
        static std::atomic<long> c{0};
        return c;
    }
};

}  // namespace component_shell
