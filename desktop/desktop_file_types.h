#pragma once
// Registration of the program's data file types with the desktop, so that
// opening such a file starts the program with the file's path. The window's
// two association buttons and `orvantis-cli file-types` share it.

#include <stdexcept>
#include <string>
#include <vector>

// A registration step that failed; the message names what failed.
class DesktopRegistrationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ProgramFileType {
    std::string extension;   // ".ASC"
    std::string typeName;    // "Tidelume.ASC"
    std::string description; // "Tidelume Ascii Files"
};

// The instrument's text and binary data file types.
const std::vector<ProgramFileType>& programFileTypes();
// The program's type for the extension, in any letter case; nullptr when the
// program has none.
const ProgramFileType* programFileTypeFor(const std::string& extension);

// The file type the desktop gives the extension now (on Linux a MIME type
// such as "text/plain" for ".ASC", or the program's own type once the
// desktop knows it; on Windows the name of the extension's file-type key),
// or the empty text when none.
std::string currentFileType(const std::string& extension);

// Remarks on a registration that succeeded, such as a missing optional tool;
// one sentence each.
using RegistrationNotes = std::vector<std::string>;

// Makes the program the handler of the extension under the file-type name
// and description. Either the extension ends up with the program or it keeps
// the file type it had; throws
// DesktopRegistrationError (or StoreError for the store) on failure.
RegistrationNotes registerFileType(const std::string& extension, const std::string& typeName,
                                   const std::string& description, const std::string& programPath);

// Takes back what registerFileType wrote for the type, leaving everything
// else as it is; nothing to take back is no failure.
RegistrationNotes removeFileType(const std::string& extension, const std::string& typeName);

struct FileTypeStatus {
    std::string fileType;        // the program's type as the desktop names it
    bool known = false;          // the desktop knows the type and the program's entry for it
    bool systemWide = false;     // known from an installed package rather than the user's own files
    bool programOpensIt = false; // the program is the type's default application
};

FileTypeStatus fileTypeStatus(const std::string& extension, const std::string& typeName);
