// SPDX-License-Identifier: GPL-3.0-or-later
// Makes a benchmark corpus: N small MP3 files (real frames plus an ID3v1.1 tag) with messy names,
// about a hundred to an album directory, artist directories above them; every tenth file starts
// with an ID3v2.3 tag holding a 100 KiB picture of noise. Deterministic: the same N gives the
// same tree.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::array<const char*, 12> kArtists = {
    "Die Ärzte", "Motörhead", "the_beatles", "AC-DC", "Björk",          "Sigur Rós",
    "坂本龍一",  "Daft.Punk", "Queen",       "MUSE",  "Guns 'n' Roses", "Ludovico Einaudi"};
const std::array<const char*, 16> kWords = {"love", "Night",  "über",   "road", "DANCE", "fire",
                                            "Rain", "heart",  "Städte", "blue", "time",  "(live)",
                                            "Song", "dreams", "Echo",   "café"};
const std::array<const char*, 8> kDecorations = {
    "", " (www.mp3-site.com)", " [192kbps]", "-NBD", "  ", " (Remix)", "_", " - "};

// Latin-1 bytes of the few non-ASCII letters used above; others become '?'.
std::string toWindows1252(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += char(c);
        } else if ((c == 0xC3 || c == 0xC2) && i + 1 < utf8.size()) {
            out += char((c == 0xC3 ? 0xC0 : 0x80) + (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            out += '?';
            while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

void putField(std::string& tag, const std::string& text, std::size_t width)
{
    std::string bytes = toWindows1252(text).substr(0, width);
    bytes.resize(width, '\0');
    tag += bytes;
}

std::string id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  int year, int track, int genre)
{
    std::string tag = "TAG";
    putField(tag, title, 30);
    putField(tag, artist, 30);
    putField(tag, album, 30);
    putField(tag, std::to_string(year), 4);
    putField(tag, "bench corpus", 28);
    tag += '\0';
    tag += char(track);
    tag += char(genre);
    return tag;
}

std::string synchsafe(std::size_t n)
{
    return {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
}

std::string bigEndian(std::size_t n)
{
    return {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
}

// An ID3v2.3 tag with one APIC frame of `bytes` bytes of noise (false frame syncs included).
std::string id3v2WithPicture(std::mt19937& rng, std::size_t bytes)
{
    std::string picture("\0image/jpeg\0\x03\0", 14);
    picture.reserve(bytes);
    while (picture.size() < bytes)
        picture += char(rng() & 0xFF);
    const std::string frame = "APIC" + bigEndian(picture.size()) + std::string(2, '\0') + picture;
    return "ID3" + std::string("\x03\0\0", 3) + synchsafe(frame.size()) + frame;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s N DIR FRAMES.mp3\n", argv[0]);
        return 2;
    }
    const long count = std::strtol(argv[1], nullptr, 10);
    const fs::path root(argv[2]);
    std::ifstream framesIn(argv[3], std::ios::binary);
    const std::string frames((std::istreambuf_iterator<char>(framesIn)),
                             std::istreambuf_iterator<char>());
    if (count <= 0 || frames.empty()) {
        std::fprintf(stderr, "need a positive N and a readable frames file\n");
        return 2;
    }

    std::mt19937 rng(20261211);
    const auto pick = [&](std::size_t n) { return std::size_t(rng() % n); };
    const long perAlbum = 100;
    fs::path albumDir;
    std::string artist;
    std::string album;
    int year = 1990;
    for (long i = 0; i < count; ++i) {
        const long n = i % perAlbum;
        if (n == 0) {
            const long albumNo = i / perAlbum;
            artist = kArtists[std::size_t(albumNo) % kArtists.size()];
            year = 1970 + int(pick(50));
            album = std::string(kWords[pick(kWords.size())]) + " " + kWords[pick(kWords.size())] +
                    " " + std::to_string(albumNo);
            albumDir = root / artist / (album + " (" + std::to_string(year) + ")");
            fs::create_directories(albumDir);
        }
        const std::string title =
            std::string(kWords[pick(kWords.size())]) + " " + kWords[pick(kWords.size())];
        char number[8];
        std::snprintf(number, sizeof number, "%02ld", n + 1);
        std::string name;
        switch (pick(4)) {
        case 0:
            name = std::string(number) + "_" + artist + "_-_" + title;
            break;
        case 1:
            name = std::string(number) + ". " + artist + " - " + title;
            break;
        case 2:
            name = artist + " - " + title + " [" + number + "]";
            break;
        default:
            name = std::string(number) + "-" + title;
            break;
        }
        for (char& c : name) {
            if (c == ' ' && pick(5) == 0)
                c = '_';
        }
        name += kDecorations[pick(kDecorations.size())];
        name += pick(4) == 0 ? ".MP3" : ".mp3";

        std::ofstream out(albumDir / name, std::ios::binary | std::ios::trunc);
        if (i % 10 == 0)
            out << id3v2WithPicture(rng, 100 * 1024);
        out << frames << id3v1(title, artist, album, year, int(n + 1), int(pick(148)));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (albumDir / name).c_str());
            return 1;
        }
    }
    return 0;
}
