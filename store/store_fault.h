#pragma once
// Why the store cannot be used. A key or value that is simply not there is
// never a fault: callers tell "absent" from "cannot say" by this.

#include <string>

enum class StoreFaultKind {
    NoLocation,    // no folder is known for the store
    FolderNotMade, // the store's folder cannot be made
    NotMade,       // there is no store file, and none can be made
    NotAFile,      // a folder stands where the store file should be
    CannotOpen,    // the file is there but cannot be opened
    Empty,         // a file of zero bytes
    Damaged,       // not a database, or a damaged one
    NotOurs,       // another program's SQLite database
    ReadOnly,      // can only be read, and a write was asked for
    Busy,          // another connection kept its write lock past the wait
    Failed,        // anything else SQLite reports (disk full, I/O error, ...)
};

struct StoreFault {
    StoreFaultKind kind = StoreFaultKind::Failed;
    std::string path;   // the store file, or for FolderNotMade its folder
    std::string detail; // SQLite's or the system's own words, possibly empty
};

// One line for the user that names the store and says what is wrong with it,
// starting in lower case so that it can follow a prefix.
std::string describeStoreFault(const StoreFault& fault);
