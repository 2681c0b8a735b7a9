#pragma once

#include "midi/IMidiMessage.h"

#include <cstdint>
#include <memory>

// Pending MIDI messages kept sorted by sample offset; messages with equal offsets keep their arrival
// order. The consumer walks from the front (Front/PopFront) while messages are due; EndBlock then drops
// the consumed ones and shifts the rest into the next block's time frame.
//
// Storage is sized by Reserve, outside the audio path; during a block only Push may grow it, and a
// message that cannot be stored is dropped rather than blocking or throwing.
class IMidiEventQueue
{
public:
    static constexpr int32_t kInitialCapacity = 1024;
    static constexpr int32_t kReserveGranularity = 512;

    IMidiEventQueue();

    IMidiEventQueue(const IMidiEventQueue&) = delete;
    IMidiEventQueue& operator=(const IMidiEventQueue&) = delete;

    // Inserts by offset, after every message whose offset is not larger. Returns false when the
    // message was dropped because the storage could not grow.
    bool Push(const IMidiMessage& message);

    // Sizes the queue for a block of `frames` samples (rounded up to a multiple of 512), which also
    // becomes the growth step. Never discards pending messages.
    void Reserve(int32_t frames);

    // Called after every block of `frames` samples.
    void EndBlock(int32_t frames);

    // Unconsumed messages.
    bool Empty() const { return front_ >= size_; }
    int32_t Pending() const { return size_ - front_; }
    const IMidiMessage& Front() const { return storage_[front_]; }
    void PopFront()
    {
        if (front_ < size_) ++front_;
    }
    // The i-th unconsumed message, i in [0, Pending()).
    const IMidiMessage& operator[](int32_t i) const { return storage_[front_ + i]; }

    // Removes the unconsumed messages `drop` is true for, keeping the others in order; returns how
    // many went. Never allocates.
    template <typename Predicate> int32_t RemovePendingIf(Predicate drop)
    {
        int32_t kept = front_;
        for (int32_t i = front_; i < size_; ++i)
            if (!drop(storage_[i])) storage_[kept++] = storage_[i];
        const int32_t removed = size_ - kept;
        size_ = kept;
        return removed;
    }

    // Drops everything, keeping the storage.
    void Clear() { front_ = size_ = 0; }

    int32_t Capacity() const { return capacity_; }
    int32_t GrowthStep() const { return growthStep_; }
    // Messages held, consumed ones included until the next compaction.
    int32_t Size() const { return size_; }

private:
    void Compact();
    bool Reallocate(int32_t newCapacity);

    std::unique_ptr<IMidiMessage[]> storage_;
    int32_t capacity_ = 0;
    int32_t growthStep_ = kInitialCapacity;
    int32_t front_ = 0;
    int32_t size_ = 0;
};
