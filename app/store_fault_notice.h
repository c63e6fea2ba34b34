#pragma once
// A store that cannot be used, as the windows tell it: one error box per run
// of the windows, naming the store file and saying that settings and
// associations cannot be saved. The program goes on with what it can read.

#include "store/reg_def.h"
#include "store/store_fault.h"

// A new run of the windows: its first fault is shown.
void startStoreFaultNotice();
// Shows the box for the run's first fault; later ones are not shown.
void tellStoreFault(const StoreFault& fault);
// Tells the fault `reg` met, if it met one.
void tellStoreFault(const TRegDef& reg);
// Whether the user has been told in this run that nothing can be saved.
bool storeFaultTold();

// Runs a store access whose StoreError for an unusable store is told rather
// than raised; the access then gives an empty result.
template <typename Access>
auto tellingStoreFault(Access access) -> decltype(access())
{
    try {
        return access();
    } catch (const StoreError& error) {
        if (!error.cause())
            throw;
        tellStoreFault(*error.cause());
    }
    return decltype(access())();
}
