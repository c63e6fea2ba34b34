#include "small_disk.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

SmallDisk::SmallDisk(std::filesystem::path folder, std::size_t kilobytes) : folder_(std::move(folder))
{
    std::filesystem::create_directories(folder_);
    const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0777";
    mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!mounted_)
        why_ = std::string("cannot mount a small disk: ") + std::strerror(errno);
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        umount2(folder_.c_str(), MNT_DETACH);
}

void SmallDisk::fill() const
{
    std::FILE* filler = std::fopen((folder_ / "filler").c_str(), "wb");
    if (!filler)
        return;
    const std::vector<char> block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    for (char c = 'f'; std::fputc(c, filler) != EOF && std::fflush(filler) == 0;) {
    }
    std::fclose(filler);
}
