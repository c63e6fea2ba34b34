#include "core/temporary_file.h"

std::FILE* openTemporaryFile()
{
    return std::tmpfile();
}
