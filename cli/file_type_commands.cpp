#include "cli/file_type_commands.h"

#include "core/file_path.h"
#include "desktop/desktop_file_types.h"

#include <cstring>
#include <ostream>

#include "store/reg_def.h"

namespace {

constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;

constexpr const char* UsageText = "usage: orvantis-cli file-types status|register|remove [.ASC|.BIN...]\n";

struct Request {
    std::string action;
    std::vector<const ProgramFileType*> types;
    std::string problem; // a usage error when not empty
};

Request parse(const std::vector<std::string>& args)
{
    Request request;
    request.action = args.size() > 2 ? args[2] : "";
    if (request.action != "status" && request.action != "register" && request.action != "remove") {
        request.problem = "file-types needs status, register or remove";
        return request;
    }
    for (size_t i = 3; i < args.size(); ++i) {
        const ProgramFileType* type = programFileTypeFor(args[i]);
        if (!type) {
            request.problem = "no data file type for '" + args[i] + "'";
            return request;
        }
        request.types.push_back(type);
    }
    if (request.types.empty()) {
        for (const ProgramFileType& type : programFileTypes())
            request.types.push_back(&type);
    }
    return request;
}

void printStatus(const ProgramFileType& type, std::ostream& out)
{
    const FileTypeStatus status = fileTypeStatus(type.extension, type.typeName);
    out << type.extension << ": " << status.fileType << ", "
        << (!status.known       ? "not registered"
            : status.systemWide ? "installed for all users"
                                : "registered for this user")
        << ", " << (status.programOpensIt ? "opened by Orvantis" : "not opened by Orvantis") << "\n";
}

void printNotes(const RegistrationNotes& notes, std::ostream& out)
{
    for (const std::string& note : notes)
        out << "  " << note << "\n";
}

void apply(const Request& request, const std::filesystem::path& windowProgram, std::ostream& out)
{
    for (const ProgramFileType* type : request.types) {
        if (request.action == "status") {
            printStatus(*type, out);
        } else if (request.action == "register") {
            RegistrationNotes notes =
                registerFileType(type->extension, type->typeName, type->description, utf8FromPath(windowProgram));
            out << type->extension << ": registered\n";
            printNotes(notes, out);
        } else {
            RegistrationNotes notes = removeFileType(type->extension, type->typeName);
            out << type->extension << ": removed\n";
            printNotes(notes, out);
        }
    }
}

} // namespace

bool isFileTypeCommand(const char* word)
{
    return word && std::strcmp(word, "file-types") == 0;
}

int runFileTypeCommand(const std::vector<std::string>& args, const std::filesystem::path& windowProgram,
                       std::ostream& out, std::ostream& err)
{
    const Request request = parse(args);
    if (!request.problem.empty()) {
        err << "orvantis-cli: " << request.problem << "\n" << UsageText;
        return Usage;
    }
    std::error_code error;
    if (request.action == "register" && !std::filesystem::is_regular_file(windowProgram, error)) {
        err << "orvantis-cli: the window program " << utf8FromPath(windowProgram)
            << " is not there; the desktop would have nothing to start\n";
        return Failed;
    }
    try {
        apply(request, windowProgram, out);
        return Done;
    } catch (const DesktopRegistrationError& e) {
        err << "orvantis-cli: " << e.what() << "\n";
    } catch (const StoreError& e) {
        err << "orvantis-cli: " << e.what() << "\n";
    }
    return Failed;
}
