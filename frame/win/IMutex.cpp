#include "frame/IMutex.h"

#include <windows.h>

#include <new>

// On Windows every lock is a critical section, kept in the object's storage.
namespace
{
CRITICAL_SECTION* Section(unsigned char* storage)
{
    static_assert(sizeof(CRITICAL_SECTION) <= 64 && alignof(CRITICAL_SECTION) <= 16,
                  "a critical section does not fit the lock's storage");
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}
} // namespace

IRecursiveMutex::IRecursiveMutex()
{
    InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}
IRecursiveMutex::~IRecursiveMutex()
{
    DeleteCriticalSection(Section(storage_));
}
void IRecursiveMutex::lock()
{
    EnterCriticalSection(Section(storage_));
}
void IRecursiveMutex::unlock()
{
    LeaveCriticalSection(Section(storage_));
}
bool IRecursiveMutex::try_lock()
{
    return TryEnterCriticalSection(Section(storage_)) != 0;
}

IMutex::IMutex()
{
    InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}
IMutex::~IMutex()
{
    DeleteCriticalSection(Section(storage_));
}
void IMutex::lock()
{
    EnterCriticalSection(Section(storage_));
}
void IMutex::unlock()
{
    LeaveCriticalSection(Section(storage_));
}
bool IMutex::try_lock()
{
    return TryEnterCriticalSection(Section(storage_)) != 0;
}
