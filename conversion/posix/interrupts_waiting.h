#pragma once
// An interrupt that has come but not been taken yet: the threads that
// convert hold the interrupts back for the thread that cleans up, which may
// not have run yet, or this thread holds them back itself.

// Whether one of the interrupts the cleanup takes is waiting to be taken.
bool interruptWaiting();
