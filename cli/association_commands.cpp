#include "cli/association_commands.h"

#include "driver/library.h"

#include <cstring>
#include <iostream>

#include "store/associations.h"
#include "store/reg_def.h"

namespace {

constexpr const char* Usage = "usage: orvantis-cli associations\n"
                              "       orvantis-cli associate SERIAL CALFILE\n"
                              "       orvantis-cli forget SERIAL\n";

int usageError(std::ostream& err, const std::string& problem)
{
    err << "orvantis-cli: " << problem << "\n" << Usage;
    return AssociationCommandUsage;
}

int failure(std::ostream& err, const std::string& problem)
{
    err << "orvantis-cli: " << problem << "\n";
    return AssociationCommandFailed;
}

int listAssociations(std::ostream& out)
{
    for (const auto& [serial, calFile] : listCalFiles()) {
        out << serial << " -> " << calFile << "\n";
    }
    return AssociationCommandDone;
}

int associate(const std::string& serial, const std::string& calFile, std::ostream& out, std::ostream& err)
{
    try {
        const std::string stored = orvantis::associate(serial, calFile);
        out << serial << " -> " << stored << "\n";
        return AssociationCommandDone;
    } catch (const orvantis::StoreUnusable& e) {
        err << "orvantis-cli: " << e.what() << "\n";
        return AssociationCommandStoreUnusable;
    } catch (const orvantis::Error& e) {
        return failure(err, e.what());
    }
}

int forget(const std::string& serial, std::ostream& err)
{
    if (!forgetCalFile(serial)) {
        return failure(err, "no association for serial number " + serial);
    }
    return AssociationCommandDone;
}

constexpr const char* EmptySerial = "the serial number must not be empty";

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const std::string command = args.size() > 1 ? args[1] : "";
    if (command == "associations") {
        return args.size() == 2 ? listAssociations(out) : usageError(err, "associations takes no arguments");
    }
    if (command == "associate") {
        if (args.size() != 4) {
            return usageError(err, "associate needs a serial number and a calibration file");
        }
        return args[2].empty() ? usageError(err, EmptySerial) : associate(args[2], args[3], out, err);
    }
    if (command == "forget") {
        if (args.size() != 3) {
            return usageError(err, "forget needs a serial number");
        }
        return args[2].empty() ? usageError(err, EmptySerial) : forget(args[2], err);
    }
    return usageError(err, "unknown command '" + command + "'");
}

} // namespace

bool isAssociationCommand(const char* word)
{
    return word && (std::strcmp(word, "associations") == 0 || std::strcmp(word, "associate") == 0 ||
                    std::strcmp(word, "forget") == 0);
}

int runAssociationCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        return runCommand(args, out, err);
    } catch (const StoreError& e) {
        const StoreFault* fault = e.cause();
        err << "orvantis-cli: " << (fault ? describeStoreFault(*fault) : e.what()) << "\n";
        return AssociationCommandStoreUnusable;
    }
}

int runAssociationCommand(int argc, char** argv)
{
    return runAssociationCommand(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
}
