#include "instrument/SoundHistory.h"

namespace
{

// Same length and every value equal; a value that is not a number never matches.
bool SameSound(const SoundHistory::Entry& a, const SoundHistory::Entry& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == b[i])) return false;
    return true;
}

} // namespace

void SoundHistory::Record(Entry sound)
{
    current_ = Count();
    entries_.push_back(std::move(sound));
}

void SoundHistory::Save(const Entry& sound)
{
    if (entries_.empty() || current_ >= Count())
    {
        entries_.push_back(sound);
        return;
    }
    // Each entry is compared with the entry on show as it is at that moment: once the entry on show
    // has been overwritten, later entries are compared with the new sound.
    const auto shown = static_cast<std::size_t>(current_);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (i == shown || SameSound(entries_[i], entries_[shown])) entries_[i] = sound;
}

bool SoundHistory::Previous()
{
    if (current_ < 1) return false;
    --current_;
    return true;
}

bool SoundHistory::Next()
{
    if (current_ >= Count() - 1) return false;
    ++current_;
    return true;
}

const SoundHistory::Entry* SoundHistory::Current() const
{
    if (current_ < 0 || current_ >= Count()) return nullptr;
    return &entries_[static_cast<std::size_t>(current_)];
}
