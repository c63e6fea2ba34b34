#include "cli/standard_descriptors.h"

#include <cstdio>
#include <fcntl.h>
#include <initializer_list>
#include <io.h>

// A program started without a console or with a standard handle closed has
// no stream behind it; NUL takes its place.
void openMissingStandardDescriptors()
{
    struct Standard {
        std::FILE* stream;
        const char* mode;
    };
    for (const Standard standard : {Standard{stdin, "rb"}, Standard{stdout, "wb"}, Standard{stderr, "wb"}}) {
        const int fd = _fileno(standard.stream);
        if (fd < 0 || _get_osfhandle(fd) == -1)
            std::freopen("NUL", standard.mode, standard.stream);
    }
}
