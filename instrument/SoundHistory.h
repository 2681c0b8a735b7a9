#pragma once

// The in-memory list of generated sounds that the history buttons step through. Each entry holds
// the normalised positions of all parameters. Recording appends and shows the new entry; navigation
// only moves the entry on show; saving overwrites the entry on show, and every other entry that held
// the same sound, with the current one.

#include <vector>

class SoundHistory
{
public:
    using Entry = std::vector<double>;

    // Appends the sound and makes it the entry on show.
    void Record(Entry sound);
    // Overwrites the entry on show (and its duplicates) with the sound; appends it while empty.
    void Save(const Entry& sound);
    // Steps to the previous or next entry; false (nothing changes) at either end or while empty.
    bool Previous();
    bool Next();

    // The entry on show, or nullptr while the history is empty.
    const Entry* Current() const;
    int CurrentIndex() const { return current_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    const Entry& At(int index) const { return entries_[static_cast<std::size_t>(index)]; }

private:
    std::vector<Entry> entries_;
    int current_ = 0;
};
