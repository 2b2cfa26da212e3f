#pragma once
// An object created at the first request and kept; two threads asking at
// once get the same one. The creation may fail (null) and is then retried at
// the next request.
#include <mutex>

namespace qlry {

template <class T>
class COnceSlot {
public:
    template <class Make>
    T* GetOrCreate(Make make) noexcept {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!m_object) m_object = make();
        return m_object;
    }
    T* Peek() noexcept {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_object;
    }
    T* Take() noexcept {
        std::lock_guard<std::mutex> hold(m_lock);
        T* object = m_object;
        m_object = nullptr;
        return object;
    }

private:
    std::mutex m_lock;
    T* m_object = nullptr;
};

}  // namespace qlry
