// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the rename benchmark: N files in one directory and plain rename() calls.
//   vn-rename-floor DIR N create    make the N files (old names)
//   vn-rename-floor DIR N pairs     print "old<TAB>new" lines for varnolite-cli rename --pairs
//   vn-rename-floor DIR N forward   rename old -> new, last to first
//   vn-rename-floor DIR N back      rename new -> old, first to last
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::string oldName(const std::string& dir, long i)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "/%02ld_some_artist_-_track_name_%05ld.mp3", i % 100, i);
    return dir + buf;
}

std::string newName(const std::string& dir, long i)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "/%02ld Some Artist - Track Name %05ld.mp3", i % 100, i);
    return dir + buf;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DIR N create|pairs|forward|back\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const long n = std::strtol(argv[2], nullptr, 10);
    const std::string mode = argv[3];
    if (mode == "create") {
        for (long i = 0; i < n; ++i) {
            const int fd = ::open(oldName(dir, i).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::close(fd) != 0)
                return 1;
        }
    } else if (mode == "pairs") {
        for (long i = 0; i < n; ++i)
            std::printf("%s\t%s\n", oldName(dir, i).c_str(), newName(dir, i).c_str());
    } else if (mode == "forward") {
        for (long i = n - 1; i >= 0; --i) {
            if (::rename(oldName(dir, i).c_str(), newName(dir, i).c_str()) != 0)
                return 1;
        }
    } else if (mode == "back") {
        for (long i = 0; i < n; ++i) {
            if (::rename(newName(dir, i).c_str(), oldName(dir, i).c_str()) != 0)
                return 1;
        }
    } else {
        return 2;
    }
    return 0;
}
