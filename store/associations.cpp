#include "store/associations.h"

#include "store/reg_def.h"

namespace {

constexpr const char* CalFileValue = "CalFile";

// '\' would split the key and '%' starts an escape; everything else is kept.
std::string escapeKeyName(const std::string& serial)
{
    std::string name;
    for (char c : serial) {
        if (c == '\\') {
            name += "%5C";
        } else if (c == '%') {
            name += "%25";
        } else {
            name += c;
        }
    }
    return name;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string keyPath(const std::string& keyName)
{
    return std::string(AssociationsKey) + "\\" + keyName;
}

// A store that could not be used is never taken for an absent association.
void raiseFault(const TRegDef& reg)
{
    if (const StoreFault* fault = reg.Fault()) {
        throw StoreError(describeStoreFault(*fault), fault);
    }
}

} // namespace

std::string associationPath(const std::string& serial)
{
    return keyPath(escapeKeyName(serial));
}

std::string serialFromKeyName(const std::string& keyName)
{
    std::string serial;
    for (size_t i = 0; i < keyName.size(); ++i) {
        int high = keyName[i] == '%' && i + 2 < keyName.size() ? hexDigit(keyName[i + 1]) : -1;
        int low = high >= 0 ? hexDigit(keyName[i + 2]) : -1;
        if (low >= 0) {
            serial += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            serial += keyName[i]; // not an escape: a name made by hand
        }
    }
    return serial;
}

std::string lookupCalFile(const std::string& serial)
{
    if (serial.empty()) {
        return {};
    }
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    std::string calFile = reg.OpenPath(associationPath(serial), false) ? reg.ReadTextOr(CalFileValue, "") : "";
    raiseFault(reg);
    return calFile;
}

bool storeCalFile(const std::string& serial, const std::string& calFile)
{
    // An empty serial would name the association folder itself.
    if (serial.empty()) {
        return false;
    }
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    // One update: a copy of the program that forgets the serial meanwhile
    // cannot remove the key between its opening and the write.
    if (!reg.BeginUpdate() || !reg.OpenPath(associationPath(serial), true)) {
        raiseFault(reg);
        return false;
    }
    reg.WriteText(CalFileValue, calFile);
    if (!reg.CommitUpdate()) {
        raiseFault(reg);
    }
    return true;
}

bool forgetCalFile(const std::string& serial)
{
    if (serial.empty()) {
        return false;
    }
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    const bool removed = reg.RemoveKey(associationPath(serial)); // the key goes with its "CalFile"
    raiseFault(reg);
    return removed;
}

std::vector<std::pair<std::string, std::string>> listCalFiles()
{
    std::vector<std::pair<std::string, std::string>> associations;
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    if (!reg.OpenPath(AssociationsKey, false)) {
        raiseFault(reg);
        return associations;
    }
    std::vector<std::string> keyNames;
    reg.ListSubkeys(keyNames);
    for (const std::string& keyName : keyNames) {
        // The key as listed, not re-escaped: a name made by hand stays reachable.
        std::string calFile = reg.OpenPath(keyPath(keyName), false) ? reg.ReadTextOr(CalFileValue, "") : "";
        associations.emplace_back(serialFromKeyName(keyName), calFile);
    }
    raiseFault(reg);
    return associations;
}
