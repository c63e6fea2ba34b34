#include "conversion/pending_name.h"

#include "conversion/output_name.h"

std::string temporaryNameBeside(const std::string& finalPath, std::mt19937_64& random)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix = ".";
    for (int i = 0; i < 8; ++i)
        suffix += letters[random() % (sizeof letters - 1)];
    const std::string::size_type nameStart = fileNameStart(finalPath);
    return finalPath.substr(0, nameStart) + "." + finalPath.substr(nameStart, 200) + suffix + ".part";
}
