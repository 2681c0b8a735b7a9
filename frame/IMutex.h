#pragma once

#include <cstddef>

// The plug-in's locks: the frame mutex (recursive), the process-wide creation mutex and the editor's
// image and font caches. They are critical sections on Windows and the standard mutexes elsewhere,
// behind one interface that meets the standard Lockable requirements (std::lock_guard works with it).
// The platform object lives in place, so the header needs no platform header.
class IMutexBase
{
public:
    IMutexBase(const IMutexBase&) = delete;
    IMutexBase& operator=(const IMutexBase&) = delete;

protected:
    IMutexBase() = default;
    ~IMutexBase() = default;

    static constexpr std::size_t kStorageSize = 64;
    alignas(16) unsigned char storage_[kStorageSize];
};

// May be taken again by the thread that holds it.
class IRecursiveMutex : public IMutexBase
{
public:
    IRecursiveMutex();
    ~IRecursiveMutex();
    void lock();
    void unlock();
    bool try_lock();
};

// Taken once at a time (a critical section on Windows, which would let its holder in again; no caller
// relies on either answer).
class IMutex : public IMutexBase
{
public:
    IMutex();
    ~IMutex();
    void lock();
    void unlock();
    bool try_lock();
};
