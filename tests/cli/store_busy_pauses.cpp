#include "store_busy_pauses.h"

#include <sqlite3.h>

#include <stdexcept>

namespace {

// One watcher at a time; SQLite's callbacks carry no pointer of ours (the
// layer's own data belongs to the layer it copies).
StoreBusyPauses* watcher = nullptr;
sqlite3_vfs watchedLayer;

} // namespace

StoreBusyPauses::StoreBusyPauses()
{
    const sqlite3_vfs* system = sqlite3_vfs_find(nullptr);
    if (watcher != nullptr || system == nullptr)
        throw std::logic_error("one busy-pause watcher over the system layer");
    watchedLayer = *system;
    watchedLayer.zName = "orvantis-busy-pauses";
    watchedLayer.xSleep = pause;
    if (sqlite3_vfs_register(&watchedLayer, 1) != SQLITE_OK)
        throw std::runtime_error("cannot watch the store's pauses");
    watcher = this;
}

StoreBusyPauses::~StoreBusyPauses()
{
    sqlite3_vfs_unregister(&watchedLayer); // the system layer is the default again
    watcher = nullptr;
}

void StoreBusyPauses::restart(std::function<void()> onFirstPause)
{
    count_ = 0;
    total_ = std::chrono::microseconds{0};
    onFirstPause_ = std::move(onFirstPause);
}

int StoreBusyPauses::pause(sqlite3_vfs*, int microseconds)
{
    StoreBusyPauses& self = *watcher;
    if (self.count_++ == 0 && self.onFirstPause_)
        self.onFirstPause_();
    self.total_ += std::chrono::microseconds{microseconds};
    return microseconds;
}
