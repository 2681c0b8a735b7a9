#include "frame/IMutex.h"

#include <mutex>
#include <new>

// Elsewhere than on Windows the locks are the standard mutexes, built in the object's storage.
namespace
{
template <typename Mutex> Mutex& Held(unsigned char* storage)
{
    static_assert(sizeof(Mutex) <= 64 && alignof(Mutex) <= 16, "the lock does not fit its storage");
    return *std::launder(reinterpret_cast<Mutex*>(storage));
}
} // namespace

IRecursiveMutex::IRecursiveMutex()
{
    new (storage_) std::recursive_mutex;
}
IRecursiveMutex::~IRecursiveMutex()
{
    Held<std::recursive_mutex>(storage_).~recursive_mutex();
}
void IRecursiveMutex::lock()
{
    Held<std::recursive_mutex>(storage_).lock();
}
void IRecursiveMutex::unlock()
{
    Held<std::recursive_mutex>(storage_).unlock();
}
bool IRecursiveMutex::try_lock()
{
    return Held<std::recursive_mutex>(storage_).try_lock();
}

IMutex::IMutex()
{
    new (storage_) std::mutex;
}
IMutex::~IMutex()
{
    Held<std::mutex>(storage_).~mutex();
}
void IMutex::lock()
{
    Held<std::mutex>(storage_).lock();
}
void IMutex::unlock()
{
    Held<std::mutex>(storage_).unlock();
}
bool IMutex::try_lock()
{
    return Held<std::mutex>(storage_).try_lock();
}
