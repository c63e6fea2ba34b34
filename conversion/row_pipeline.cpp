#include "conversion/row_pipeline.h"

#include "conversion/output_formats.h"
#include "core/pixel_count.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <new>

std::unique_ptr<RowPipeline> RowPipeline::start(std::FILE* output, char delimiter)
{
    std::unique_ptr<Slot[]> slots(new (std::nothrow) Slot[SLOTS]);
    if (!slots)
        return nullptr;
    try {
        return std::unique_ptr<RowPipeline>(new RowPipeline(output, delimiter, std::move(slots)));
    } catch (const std::exception&) {
        return nullptr;
    }
}

RowPipeline::RowPipeline(std::FILE* output, char delimiter, std::unique_ptr<Slot[]> slots)
    : output_(output), delimiter_(delimiter), slots_(std::move(slots)), worker_(&RowPipeline::work, this)
{}

RowPipeline::~RowPipeline()
{
    finish();
}

int16_t RowPipeline::finish()
{
    if (worker_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
        }
        handedOver_.notify_one();
        worker_.join();
    }
    if (!failed_)
        return 0;
    errno = error_;
    return 1;
}

int16_t RowPipeline::submit(const SpectrumRecord& record, const float* pixels)
{
    uint64_t sequence = 0;
    bool formatHere = false;
    {
        std::unique_lock lock(mutex_);
        if (filled() == SLOTS) {
            callerWaits_ = true;
            written_.wait(lock, [this] { return filled() <= SLOTS - RUN; });
            callerWaits_ = false;
        }
        if (failed_) {
            errno = error_;
            return 1;
        }
        sequence = handedCount_;
        formatHere = filled() >= LAGGING;
    }
    Slot& target = slot(sequence);
    target.row.clear();
    if (formatHere) {
        putTextRow(target.row, record, pixels, delimiter_);
    } else {
        target.record = record;
        std::copy_n(pixels, storedPixelCount(record), target.pixels);
    }
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        ++handedCount_;
        wake = workerWaits_ && filled() >= RUN;
    }
    if (wake)
        handedOver_.notify_one();
    return 0;
}

// Called with the mutex held.
void RowPipeline::noteFailure(const OutputBuffer& out, bool written)
{
    if (written || failed_)
        return;
    failed_ = true;
    error_ = out.error();
}

// Writes the slots in the order they were handed over until the pipeline
// closes with none left. The rows gather in the buffer and reach the stream
// in large writes.
void RowPipeline::work()
{
    OutputBuffer out(output_);
    std::unique_lock lock(mutex_);
    for (;;) {
        if (filled() == 0) {
            workerWaits_ = true;
            handedOver_.wait(lock, [this] { return filled() >= RUN || closing_; });
            workerWaits_ = false;
            if (filled() == 0) {
                lock.unlock();
                const bool written = out.flush();
                lock.lock();
                noteFailure(out, written);
                return;
            }
        }
        const Slot& next = slot(writtenCount_);
        lock.unlock();
        if (next.row.text().empty())
            putTextRow(out, next.record, next.pixels, delimiter_);
        else
            out.put(next.row.text());
        const bool written = !out.failed();
        lock.lock();
        ++writtenCount_;
        noteFailure(out, written);
        if (callerWaits_ && filled() <= SLOTS - RUN)
            written_.notify_one();
    }
}
