#pragma once
// Registration of the program's data file types with the desktop, so that
// opening such a file starts the program with the file's path.

#include <stdexcept>
#include <string>

// A registration step that failed; the message names what failed.
class DesktopRegistrationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file type the desktop gives the extension now (on Linux a MIME type
// such as "application/pgp-signature" for ".ASC", on Windows the name of the
// extension's file-type key), or the empty text when none.
std::string currentFileType(const std::string& extension);

// Makes the program the handler of the extension under the file-type name
// and description. Either the extension ends up with the program or it keeps
// the file type it had; throws
// DesktopRegistrationError (or StoreError for the store) on failure.
void registerFileType(const std::string& extension, const std::string& typeName, const std::string& description,
                      const std::string& programPath);
