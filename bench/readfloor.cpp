// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the tag benchmarks: every file below DIR is opened, its first 10 and last 137
// bytes are read, and it is closed.
//   vn-tag-floor DIR
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long g_files = 0;

int visit(const char* path, const struct stat* st, int type, FTW*)
{
    if (type != FTW_F)
        return 0;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 1;
    char head[10];
    char tail[137];
    const bool ok = ::pread(fd, head, sizeof head, 0) == sizeof head &&
                    ::pread(fd, tail, sizeof tail, st->st_size - 137) == sizeof tail;
    ::close(fd);
    g_files += ok;
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    if (::nftw(argv[1], visit, 64, FTW_PHYS) != 0)
        return 1;
    std::printf("%ld\n", g_files);
    return 0;
}
