#pragma once
// The temporaries an interrupt handler may have to remove. A handler can
// only read fixed storage, so each name is copied into a slot of its own.

#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>

template <class Char>
class PendingSlots {
public:
    // The slot now holding path, or -1 when none is free or it is too long.
    int add(const std::basic_string<Char>& path)
    {
        if (path.size() >= PATH_SIZE)
            return -1;
        for (int i = 0; i < SLOTS; ++i) {
            bool expected = false;
            if (slots_[i].used.compare_exchange_strong(expected, true)) {
                std::memcpy(slots_[i].path, path.c_str(), (path.size() + 1) * sizeof(Char));
                slots_[i].ready.store(true);
                return i;
            }
        }
        return -1;
    }

    void remove(int slot)
    {
        if (slot < 0)
            return;
        slots_[slot].ready.store(false);
        slots_[slot].used.store(false);
    }

    // Marks a temporary being made and added, on a thread that holds the
    // interrupts back meanwhile: a handler running on another thread waits
    // for it, so that it never misses a temporary just made.
    class Adding {
    public:
        explicit Adding(PendingSlots& slots) : slots_(slots) { slots_.adding_.fetch_add(1); }
        ~Adding() { slots_.adding_.fetch_sub(1); }
        Adding(const Adding&) = delete;
        Adding& operator=(const Adding&) = delete;

    private:
        PendingSlots& slots_;
    };

    // Marks a temporary being put in place: a handler running on another
    // thread waits for it to be done, and once a handler has begun, no
    // temporary may be put in place any more (a stopped run's conversions
    // on other threads leave the previous outputs).
    class Placing {
    public:
        explicit Placing(PendingSlots& slots) : slots_(slots)
        {
            slots_.placing_.fetch_add(1);
            allowed_ = !slots_.stopping_.load();
        }
        ~Placing() { slots_.placing_.fetch_sub(1); }
        Placing(const Placing&) = delete;
        Placing& operator=(const Placing&) = delete;

        bool allowed() const { return allowed_; }

    private:
        PendingSlots& slots_;
        bool allowed_;
    };

    // Calls removeFile for every name held; safe in an interrupt handler.
    template <class RemoveFile>
    void removeAll(RemoveFile removeFile) noexcept
    {
        stopping_.store(true);
        // A temporary is made or renamed in a moment; one that hangs is not waited for long.
        for (int wait = 0; (adding_.load() > 0 || placing_.load() > 0) && wait < MaxWaits; ++wait)
            std::this_thread::yield();
        for (Slot& slot : slots_)
            if (slot.ready.load())
                removeFile(slot.path);
    }

private:
    static constexpr int SLOTS = 64; // one a conversion running at once, with room to spare
    static constexpr int MaxWaits = 1000000;
    static constexpr std::size_t PATH_SIZE = 4096;

    struct Slot {
        std::atomic<bool> used{false};
        std::atomic<bool> ready{false};
        Char path[PATH_SIZE];
    };

    Slot slots_[SLOTS];
    std::atomic<int> adding_{0};
    std::atomic<int> placing_{0};
    std::atomic<bool> stopping_{false};
};
