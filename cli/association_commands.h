#pragma once
// The headless converter's commands on the serial number -> calibration file
// associations:
//   associations               lists them, one "SERIAL -> CALFILE" line each
//   associate SERIAL CALFILE   stores one (the file must exist; its absolute
//                              path is stored)
//   forget SERIAL              removes one

#include <iosfwd>
#include <string>
#include <vector>

// Exit statuses of the commands. Like a usage error, a store that cannot be
// used means that nothing could be done.
inline constexpr int AssociationCommandDone = 0;
inline constexpr int AssociationCommandFailed = 1;
inline constexpr int AssociationCommandUsage = 2;
inline constexpr int AssociationCommandStoreUnusable = 2;

bool isAssociationCommand(const char* word);

// argv[1] is the command word. Returns the exit status.
int runAssociationCommand(int argc, char** argv);
// The same with the arguments as texts (args[1] the command word) and the
// output streams given.
int runAssociationCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
