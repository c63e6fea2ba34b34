#include "conversion/file_window.h"

#include <sys/stat.h>
#include <unistd.h>

FileOffset descriptorFileSize(int descriptor)
{
    struct stat status {};
    return fstat(descriptor, &status) == 0 ? static_cast<FileOffset>(status.st_size) : -1;
}

std::int64_t readAtPosition(int descriptor, unsigned char* into, std::size_t count, FileOffset position)
{
    return pread(descriptor, into, count, static_cast<off_t>(position));
}
