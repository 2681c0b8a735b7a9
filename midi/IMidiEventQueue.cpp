#include "midi/IMidiEventQueue.h"

#include <algorithm>
#include <limits>
#include <new>

namespace
{
int32_t RoundUpToMultiple(int32_t value, int32_t unit)
{
    const int64_t rounded = (static_cast<int64_t>(value) + unit - 1) / unit * unit;
    return static_cast<int32_t>(
        std::min<int64_t>(rounded, std::numeric_limits<int32_t>::max() / unit * unit));
}
} // namespace

IMidiEventQueue::IMidiEventQueue()
{
    Reallocate(kInitialCapacity);
}

void IMidiEventQueue::Compact()
{
    if (front_ == 0) return;
    std::copy(storage_.get() + front_, storage_.get() + size_, storage_.get());
    size_ -= front_;
    front_ = 0;
}

bool IMidiEventQueue::Reallocate(int32_t newCapacity)
{
    if (newCapacity == capacity_) return true;
    if (newCapacity == 0)
    {
        storage_.reset();
        capacity_ = 0;
        return true;
    }
    std::unique_ptr<IMidiMessage[]> fresh(new (std::nothrow) IMidiMessage[newCapacity]);
    if (!fresh) return false;
    std::copy(storage_.get(), storage_.get() + size_, fresh.get());
    storage_ = std::move(fresh);
    capacity_ = newCapacity;
    return true;
}

bool IMidiEventQueue::Push(const IMidiMessage& message)
{
    if (size_ >= capacity_)
    {
        Compact();
        if (size_ >= capacity_)
        {
            if (growthStep_ <= 0) return false;
            const int64_t grown = (static_cast<int64_t>(capacity_) / growthStep_ + 1) * growthStep_;
            if (grown > std::numeric_limits<int32_t>::max() || !Reallocate(static_cast<int32_t>(grown)))
                return false;
        }
    }
    // Walk back over later messages, but never into the consumed ones: a message placed behind the
    // front would count as already played and be lost.
    int32_t i = size_;
    while (i > front_ && message.offset < storage_[i - 1].offset)
    {
        storage_[i] = storage_[i - 1];
        --i;
    }
    storage_[i] = message;
    ++size_;
    return true;
}

void IMidiEventQueue::Reserve(int32_t frames)
{
    Compact();
    const int32_t r = RoundUpToMultiple(std::max(frames, 0), kReserveGranularity);
    growthStep_ = r;
    Reallocate(std::max(r, RoundUpToMultiple(size_, kReserveGranularity)));
}

void IMidiEventQueue::EndBlock(int32_t frames)
{
    Compact();
    // Saturating, so that absurd host offsets cannot overflow.
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    for (int32_t i = 0; i < size_; ++i)
        storage_[i].offset =
            static_cast<int32_t>(std::clamp<int64_t>(int64_t{storage_[i].offset} - frames, lo, hi));
}
