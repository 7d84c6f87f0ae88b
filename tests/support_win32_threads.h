// Force-included into GoogleTest and the test programs only. The win32 thread
// model of this toolchain (chosen so the setup carries no threading DLL code)
// lacks std::mutex and std::condition_variable, which GoogleTest's headers use.
#pragma once
#ifdef __cplusplus
#include <windows.h>
#include <condition_variable>
#include <mutex>

#if !defined(_GLIBCXX_HAS_GTHREADS)
namespace std {

class mutex {
public:
    mutex() { InitializeSRWLock(&m_lock); }
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&m_lock); }
    bool try_lock() { return TryAcquireSRWLockExclusive(&m_lock) != 0; }
    void unlock() { ReleaseSRWLockExclusive(&m_lock); }
    SRWLOCK* native_handle() { return &m_lock; }

private:
    SRWLOCK m_lock;
};

class condition_variable {
public:
    condition_variable() { InitializeConditionVariable(&m_cv); }
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() { WakeConditionVariable(&m_cv); }
    void notify_all() { WakeAllConditionVariable(&m_cv); }
    void wait(unique_lock<mutex>& lock) {
        SleepConditionVariableSRW(&m_cv, lock.mutex()->native_handle(), INFINITE, 0);
    }
    template <typename Predicate> void wait(unique_lock<mutex>& lock, Predicate done) {
        while (!done())
            wait(lock);
    }

private:
    CONDITION_VARIABLE m_cv;
};

} // namespace std
#endif
#endif
