// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the tag and analysis benchmarks: every file below DIR is opened, its first HEAD
// and last TAIL bytes are read (as far as it has them), and it is closed.
//   vn-read-floor DIR HEAD TAIL
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

long g_head = 0;
long g_tail = 0;
std::vector<char> g_buffer;

int visit(const char* path, const struct stat* st, int type, FTW*)
{
    if (type != FTW_F)
        return 0;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 1;
    bool ok = true;
    if (g_head > 0)
        ok = ::pread(fd, g_buffer.data(), size_t(g_head), 0) >= 0;
    if (g_tail > 0 && st->st_size >= g_tail)
        ok = ok && ::pread(fd, g_buffer.data(), size_t(g_tail), st->st_size - g_tail) == g_tail;
    ::close(fd);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DIR HEAD TAIL\n", argv[0]);
        return 2;
    }
    g_head = std::strtol(argv[2], nullptr, 10);
    g_tail = std::strtol(argv[3], nullptr, 10);
    g_buffer.resize(size_t(g_head > g_tail ? g_head : g_tail) + 1);
    return ::nftw(argv[1], visit, 64, FTW_PHYS) == 0 ? 0 : 1;
}
