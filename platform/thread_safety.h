// What a thread may touch, stated in the types: a mutex and a condition
// variable that Clang's thread-safety analysis understands, and the
// attributes that tie data to its mutex (GUARDED_BY) and functions to what
// they must hold (REQUIRES). The analysis runs in the Clang build
// (-Wthread-safety -Werror, tools/test-all.sh); g++ ignores the attributes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#if defined(__clang__)
#define TRESORO_TSA(x) __attribute__((x))
#else
#define TRESORO_TSA(x)
#endif

#define CAPABILITY(x) TRESORO_TSA(capability(x))
#define SCOPED_CAPABILITY TRESORO_TSA(scoped_lockable)
#define GUARDED_BY(x) TRESORO_TSA(guarded_by(x))
#define REQUIRES(...) TRESORO_TSA(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) TRESORO_TSA(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) TRESORO_TSA(acquire_capability(__VA_ARGS__))
#define RELEASE(...) TRESORO_TSA(release_capability(__VA_ARGS__))

namespace plat {

class CAPABILITY("mutex") Mutex {
public:
    void Lock() ACQUIRE() { native_.lock(); }
    void Unlock() RELEASE() { native_.unlock(); }

private:
    friend class CondVar;
    std::mutex native_;
};

// Holds a Mutex for its scope; Unlock and Lock let a thread work without it
// in between (the analysis follows both).
class SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.Lock(); }
    ~MutexLock() RELEASE() {
        if (held_) mutex_.Unlock();
    }
    void Unlock() RELEASE() {
        mutex_.Unlock();
        held_ = false;
    }
    void Lock() ACQUIRE() {
        mutex_.Lock();
        held_ = true;
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& mutex_;
    bool held_ = true;
};

class CondVar {
public:
    // Waits until `ready()` holds; `mutex` is held whenever `ready` runs,
    // which must only look (a predicate that changes state would change it
    // at every spurious wake-up).
    template <class Ready>
    void Wait(Mutex& mutex, Ready ready) REQUIRES(mutex) {
        std::unique_lock<std::mutex> native(mutex.native_, std::adopt_lock);
        native_.wait(native, ready);
        native.release();
    }
    // The same, for at most `milliseconds`: whether `ready()` holds.
    template <class Ready>
    bool WaitFor(Mutex& mutex, uint32_t milliseconds, Ready ready) REQUIRES(mutex) {
        std::unique_lock<std::mutex> native(mutex.native_, std::adopt_lock);
        const bool held = native_.wait_for(native, std::chrono::milliseconds(milliseconds), ready);
        native.release();
        return held;
    }
    void NotifyAll() { native_.notify_all(); }
    void NotifyOne() { native_.notify_one(); }

private:
    std::condition_variable native_;
};

}  // namespace plat
