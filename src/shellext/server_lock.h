#pragma once
// The server's lock count: raised while a handler object exists, while a
// client holds the class factory, and by LockServer. Objects of different
// apartments change it concurrently, hence the atomic (interlocked) changes.
#include <atomic>

namespace qlry {

class CServerLock {
public:
    long Lock() noexcept { return ++m_count; }
    long Unlock() noexcept { return --m_count; }
    long Count() const noexcept { return m_count.load(); }

private:
    std::atomic<long> m_count{0};
};

}  // namespace qlry
