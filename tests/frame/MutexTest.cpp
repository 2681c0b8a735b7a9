#include "frame/IMutex.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>

namespace
{
// Whether another thread gets the lock right now (it lets go at once when it does).
template <typename Lock> bool OtherThreadGets(Lock& lock)
{
    return std::async(std::launch::async,
                      [&lock]
                      {
                          if (!lock.try_lock()) return false;
                          lock.unlock();
                          return true;
                      })
        .get();
}
} // namespace

// The frame mutex is taken again by the thread that holds it (the instrument's handlers lock inside
// binding calls that hold it already) and keeps every other thread out until the last unlock.
TEST(Mutex, RecursiveMutexReentersAndExcludesOtherThreads)
{
    IRecursiveMutex mutex;
    EXPECT_TRUE(OtherThreadGets(mutex));
    {
        std::lock_guard outer(mutex);
        ASSERT_TRUE(mutex.try_lock());
        EXPECT_FALSE(OtherThreadGets(mutex));
        mutex.unlock();
        EXPECT_FALSE(OtherThreadGets(mutex)) << "still held once";
    }
    EXPECT_TRUE(OtherThreadGets(mutex));
}

// The creation mutex and the caches' locks keep other threads out while held.
TEST(Mutex, PlainMutexExcludesOtherThreads)
{
    IMutex mutex;
    EXPECT_TRUE(OtherThreadGets(mutex));
    mutex.lock();
    EXPECT_FALSE(OtherThreadGets(mutex));
    mutex.unlock();
    EXPECT_TRUE(OtherThreadGets(mutex));
}
