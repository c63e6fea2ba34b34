#pragma once
// Serial number -> calibration file associations in the per-user store.

#include <string>
#include <utility>
#include <vector>

inline const char* const AssociationsKey = "\\SOFTWARE\\Sorvenhal\\Orvantis\\Associations";

// Key path of a serial's association. A serial is stored escaped so that it
// always names exactly one key below the association folder.
std::string associationPath(const std::string& serial);
// The serial a key name below the association folder stands for.
std::string serialFromKeyName(const std::string& keyName);

// A store that cannot be used (damaged, not ours, busy, read-only for a
// write, ...) raises StoreError whose cause() says why: it is never taken for
// a missing association.

// The serial's "CalFile", or the empty text when there is none (also for an
// empty serial).
std::string lookupCalFile(const std::string& serial);
// Stores the serial's "CalFile" in one update; an empty serial stores
// nothing. True when stored.
bool storeCalFile(const std::string& serial, const std::string& calFile);
// Removes the serial's association; false when there was none.
bool forgetCalFile(const std::string& serial);
// Every association, in the store's enumeration order.
std::vector<std::pair<std::string, std::string>> listCalFiles();
