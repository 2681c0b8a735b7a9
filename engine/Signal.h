#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// An ordered list of listener callbacks, each a listener object plus one of its member
// operations. Emitting calls every listener once, in connection order. Connections are made
// while objects are being wired together (never on the audio thread), so only Emit runs there,
// and it neither allocates nor locks.
template <typename... Args> class Signal
{
public:
    // Connects listener->*Method. The listener must outlive the connection (or disconnect).
    template <auto Method, typename Listener> void Connect(Listener* listener)
    {
        slots.push_back(Slot{listener, &Invoke<Method, Listener>});
    }

    // Removes every connection of this listener object.
    void Disconnect(const void* listener)
    {
        slots.erase(std::remove_if(slots.begin(), slots.end(),
                                   [listener](const Slot& slot) { return slot.listener == listener; }),
                    slots.end());
    }

    void Emit(Args... args) const
    {
        // Index loop: a listener may legitimately connect another listener while being called.
        for (std::size_t i = 0; i < slots.size(); ++i)
            slots[i].call(slots[i].listener, args...);
    }

    std::size_t ListenerCount() const { return slots.size(); }

private:
    struct Slot
    {
        void* listener;
        void (*call)(void*, Args...);
    };

    template <auto Method, typename Listener> static void Invoke(void* listener, Args... args)
    {
        (static_cast<Listener*>(listener)->*Method)(args...);
    }

    std::vector<Slot> slots;
};
