#pragma once

// The floors: what the machine can do with a vault file, written as plain
// code that calls nothing of Keyholder's, so a benchmark that compares with
// them says how close the program comes to the machine and not to itself.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace floors {

// Each byte of the file to its character: the high bit toggled (0x80 stays),
// then Windows-1252, whose 0x80..0x9F are the only codes off Latin-1.
struct Table
{
    std::array<char16_t, 256> utf16{};
    // UTF-8 of the same character: at most three bytes, and how many.
    std::array<std::array<char, 3>, 256> utf8{};
    std::array<unsigned char, 256> utf8Size{};

    Table()
    {
        constexpr char16_t High[32] = {
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
        };
        for (int byte = 0; byte < 256; ++byte) {
            const int plain = byte == 0x80 ? byte : byte ^ 0x80;
            const char16_t c = plain >= 0x80 && plain < 0xA0 ? High[plain - 0x80] : char16_t(plain);
            utf16[size_t(byte)] = c;
            auto &out = utf8[size_t(byte)];
            if (c < 0x80) {
                out = {char(c), 0, 0};
                utf8Size[size_t(byte)] = 1;
            } else if (c < 0x800) {
                out = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F)), 0};
                utf8Size[size_t(byte)] = 2;
            } else {
                out = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
                utf8Size[size_t(byte)] = 3;
            }
        }
    }
};

inline const Table &table()
{
    static const Table t;
    return t;
}

// Room for count elements, not cleared, on large pages where the system has
// them, as Keyholder asks for its own large buffers.
template<typename T>
struct Buffer
{
    std::unique_ptr<T[]> data;
    size_t size = 0;

    explicit Buffer(size_t count) : data(new T[count]), size(count)
    {
#ifdef __linux__
        constexpr uintptr_t Large = uintptr_t(2) << 20;
        const auto begin = reinterpret_cast<uintptr_t>(data.get());
        const uintptr_t first = (begin + Large - 1) & ~(Large - 1);
        const uintptr_t end = (begin + count * sizeof(T)) & ~(Large - 1);
        if (first < end)
            ::madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#endif
    }
};

// The whole file in one buffer, by one read where the system allows.
inline Buffer<char> readFile(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            ::close(fd);
        return Buffer<char>(0);
    }
    Buffer<char> bytes(size_t(info.st_size));
    size_t done = 0;
    while (done < bytes.size) {
        const ssize_t got = ::read(fd, bytes.data.get() + done, bytes.size - done);
        if (got <= 0)
            break;
        done += size_t(got);
    }
    bytes.size = done;
    ::close(fd);
    return bytes;
}

// Every byte deciphered and decoded into one UTF-16 buffer, line ends and all.
inline Buffer<char16_t> decodeUtf16(const Buffer<char> &bytes)
{
    const Table &t = table();
    Buffer<char16_t> text(bytes.size);
    const char *in = bytes.data.get();
    char16_t *out = text.data.get();
    for (size_t i = 0; i < bytes.size; ++i)
        out[i] = t.utf16[static_cast<unsigned char>(in[i])];
    return text;
}

// "username TAB location LF" in UTF-8 for every entry line, the master line
// skipped: what keyholder-cli list prints, without escapes. Gathered in out
// and handed to flush (which empties it) whenever it passes block bytes.
template<typename Flush>
void listUtf8(const Buffer<char> &bytes, std::string &out, size_t block, Flush flush)
{
    const Table &t = table();
    constexpr char Bar = char('|' ^ 0x80);
    const char *p = bytes.data.get();
    const char *end = p + bytes.size;
    const auto put = [&](const char *from, const char *to) {
        if (out.size() + size_t(to - from) * 3 + 2 > out.capacity()) {
            flush(out);
            out.reserve(std::max(block, size_t(to - from) * 3 + 2));
        }
        size_t at = out.size();
        out.resize(at + size_t(to - from) * 3);
        char *o = out.data() + at;
        for (const char *c = from; c < to; ++c) {
            const unsigned char b = static_cast<unsigned char>(*c);
            const auto &code = t.utf8[b];
            o[0] = code[0];
            o[1] = code[1];
            o[2] = code[2];
            o += t.utf8Size[b];
        }
        out.resize(size_t(o - out.data()));
    };
    const auto separatorAt = [&](const char *from, const char *to) {
        for (const char *c = from; c + 2 < to; ++c) {
            if (c[0] == Bar && c[1] == Bar && c[2] == Bar)
                return c;
        }
        return to;
    };
    out.reserve(block);
    bool master = true;
    while (p < end) {
        const char *lineEnd = static_cast<const char *>(memchr(p, '\r', size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        if (!master && lineEnd > p) {
            const char *first = separatorAt(p, lineEnd);
            const char *second = first < lineEnd ? separatorAt(first + 3, lineEnd) : lineEnd;
            const char *location = second < lineEnd ? second + 3 : lineEnd;
            put(p, first);
            out.push_back('\t');
            put(location, separatorAt(location, lineEnd));
            out.push_back('\n');
            if (out.size() >= block)
                flush(out);
        }
        master = false;
        p = lineEnd + (lineEnd < end ? 1 : 0);
        if (p < end && *p == '\n')
            ++p;
    }
    flush(out);
}

} // namespace floors
