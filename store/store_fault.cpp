#include "store/store_fault.h"

namespace {

std::string faultText(const StoreFault& fault)
{
    const std::string store = "the store " + fault.path;
    switch (fault.kind) {
    case StoreFaultKind::NoLocation:
        return "no folder for the store: neither XDG_CONFIG_HOME nor a home folder is known";
    case StoreFaultKind::FolderNotMade: return "the store's folder " + fault.path + " cannot be made";
    case StoreFaultKind::NotMade: return store + " cannot be made";
    case StoreFaultKind::NotAFile: return store + " is a folder, not a file";
    case StoreFaultKind::CannotOpen: return store + " cannot be opened";
    case StoreFaultKind::Empty: return store + " is an empty file (0 bytes), not a store";
    case StoreFaultKind::Damaged: return store + " is damaged";
    case StoreFaultKind::NotOurs: return store + " is not an Orvantis store";
    case StoreFaultKind::ReadOnly: return store + " is read-only";
    case StoreFaultKind::Busy: return store + " is busy: another program kept it locked for writing";
    case StoreFaultKind::Failed: break;
    }
    return store + " cannot be used";
}

} // namespace

std::string describeStoreFault(const StoreFault& fault)
{
    const std::string text = faultText(fault);
    return fault.detail.empty() ? text : text + " (" + fault.detail + ")";
}
