#pragma once
// Normal text rows formatted and written by a worker thread, in order, while
// the calling thread goes on reading and calibrating the next spectra. The
// spectra are handed over through a ring of slots allocated once. Formatting
// is the larger half of the work, so while the worker lags behind (the ring
// half full) the caller formats the rows it hands over itself. A write
// failure the worker meets is reported by the next hand-off or by finish,
// as a buffered stream reports a failure at a later flush. The worker never
// logs.
//
// Nothing else may write to the output while a pipeline is running on it;
// finish (or the destructor) writes out every row handed over and joins the
// worker.

#include "conversion/output_buffer.h"
#include "core/spectrum_record.h"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

class RowPipeline {
public:
    static constexpr int SLOTS = 64;
    // A full ring lets the caller go on once this many slots are free, and
    // a waiting worker goes on once this many are filled: each side then
    // has a run of work between two wake-ups instead of one row.
    static constexpr uint64_t RUN = SLOTS / 4;
    // From this many filled slots on the caller formats its rows itself.
    static constexpr uint64_t LAGGING = SLOTS / 2;

    // Null when the slots or the thread cannot be had; the caller then
    // writes its rows itself.
    static std::unique_ptr<RowPipeline> start(std::FILE* output, char delimiter);

    ~RowPipeline();
    RowPipeline(const RowPipeline&) = delete;
    RowPipeline& operator=(const RowPipeline&) = delete;

    // Copies the spectrum into the ring, waiting for a free slot. 0 when
    // handed over; 1, with nothing handed over, once a write has failed
    // (errno then tells why).
    int16_t submit(const SpectrumRecord& record, const float* pixels);

    // Writes out every row handed over and ends the worker. 0 when every
    // row reached the stream; 1 when a write failed (errno tells why).
    int16_t finish();

private:
    struct Slot {
        SpectrumRecord record;
        float pixels[MAX_PIXELS];
        OutputBuffer row{nullptr}; // the row the caller formatted, or empty
    };

    RowPipeline(std::FILE* output, char delimiter, std::unique_ptr<Slot[]> slots);
    void work();
    void noteFailure(const OutputBuffer& out, bool written);
    uint64_t filled() const { return handedCount_ - writtenCount_; }
    Slot& slot(uint64_t sequence) { return slots_[sequence % SLOTS]; }

    std::FILE* const output_;
    const char delimiter_;
    const std::unique_ptr<Slot[]> slots_;

    std::mutex mutex_;
    std::condition_variable handedOver_; // a slot filled, or closing
    std::condition_variable written_;    // a slot free again
    // Guarded by mutex_: slots [writtenCount_, handedCount_) wait for the worker.
    uint64_t handedCount_ = 0;
    uint64_t writtenCount_ = 0;
    bool closing_ = false;
    bool failed_ = false;
    int error_ = 0; // the reason of the failed write
    bool callerWaits_ = false;
    bool workerWaits_ = false;

    std::thread worker_; // last, so that it starts after everything it uses
};
