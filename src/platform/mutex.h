// An unnamed, non-recursive process mutex: a Win32 mutex object on Windows, a
// standard mutex elsewhere.
#pragma once

#include <memory>

namespace varno {

class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock();   // waits without time-out
    void unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class MutexLock {
public:
    explicit MutexLock(Mutex& m) : m_(m) { m_.lock(); }
    ~MutexLock() { m_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& m_;
};

} // namespace varno
