#pragma once
// The temporaries an interrupt handler may have to remove. A handler can
// only read storage that is there already, so each name is copied into a
// slot of its own; the slots come in blocks, and a block is added whenever
// every slot is taken, so that the table holds every temporary a run makes
// however many conversions run at once. Blocks are never given back: a
// handler may read them at any moment, the last one of the process too.

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <thread>

template <class Char>
class PendingSlots {
public:
    PendingSlots() = default;
    PendingSlots(const PendingSlots&) = delete;
    PendingSlots& operator=(const PendingSlots&) = delete;

    // The slot now holding path (0 or more); or -ENAMETOOLONG when the path
    // is too long for a slot, -ENOMEM when no memory is left for more slots.
    int add(const std::basic_string<Char>& path)
    {
        if (path.size() >= PATH_SIZE)
            return -ENAMETOOLONG;
        int first = 0;
        for (Block* block = &first_; block; block = nextBlock(*block), first += SLOTS)
            for (int i = 0; i < SLOTS; ++i) {
                Slot& slot = block->slots[i];
                bool expected = false;
                if (slot.used.compare_exchange_strong(expected, true)) {
                    std::memcpy(slot.path, path.c_str(), (path.size() + 1) * sizeof(Char));
                    slot.ready.store(true);
                    return first + i;
                }
            }
        return -ENOMEM;
    }

    void remove(int slot)
    {
        if (slot < 0)
            return;
        Block* block = &first_;
        for (; slot >= SLOTS; slot -= SLOTS)
            block = block->next.load();
        block->slots[slot].ready.store(false);
        block->slots[slot].used.store(false);
    }

    // Marks a temporary being made and added, or being put in place, on a
    // thread that holds the interrupts back meanwhile: a handler running on
    // another thread waits for it to be done, so that it never misses a
    // temporary just made. Once a handler has begun, nothing is allowed any
    // more: a stopped run makes no new temporary that the handler could
    // miss, and its conversions on other threads leave the previous outputs.
    class Change {
    public:
        explicit Change(PendingSlots& slots) : slots_(slots)
        {
            // Counted before stopping_ is read, as the handler sets stopping_
            // before it reads the count: one of the two sees the other.
            slots_.changing_.fetch_add(1);
            allowed_ = !slots_.stopping_.load();
        }
        ~Change() { slots_.changing_.fetch_sub(1); }
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

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
        for (int wait = 0; changing_.load() > 0 && wait < MaxWaits; ++wait)
            std::this_thread::yield();
        for (Block* block = &first_; block; block = block->next.load())
            for (Slot& slot : block->slots)
                if (slot.ready.load())
                    removeFile(slot.path);
    }

private:
    static constexpr std::size_t PATH_SIZE = 4096;
    static constexpr int SLOTS = 64;
    static constexpr int MaxWaits = 1000000;

    struct Slot {
        std::atomic<bool> used{false};
        std::atomic<bool> ready{false};
        Char path[PATH_SIZE];
    };

    struct Block {
        Slot slots[SLOTS];
        std::atomic<Block*> next{nullptr};
    };

    // The block after this one, made when there is none yet; null when no
    // memory is left for it. Made whole before it is linked, so that a
    // handler only ever sees a whole block.
    static Block* nextBlock(Block& block)
    {
        Block* next = block.next.load();
        if (next)
            return next;
        Block* made = new (std::nothrow) Block;
        if (!made)
            return nullptr;
        if (block.next.compare_exchange_strong(next, made))
            return made;
        delete made; // another thread linked one first
        return next;
    }

    Block first_;
    std::atomic<int> changing_{0};
    std::atomic<bool> stopping_{false};
};
