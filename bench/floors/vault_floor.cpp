// The floor for keyholder-cli as a whole process, and the vaults to run both on.
//   vault_floor list VAULT        prints "username TAB location" per entry, as list does
//   vault_floor make COUNT VAULT  writes a vault of COUNT entries, master password
//                                 "master password", about 49.5 bytes an entry
// Plain code only: no Qt, nothing of Keyholder's.
#include "VaultFloor.h"

#include <cstdlib>
#include <cstring>

namespace {

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done <= 0)
            return false;
        data += done;
        size -= size_t(done);
    }
    return true;
}

int list(const char *path)
{
    const floors::Buffer<char> bytes = floors::readFile(path);
    if (bytes.size == 0)
        return 1;
    std::string out;
    bool ok = true;
    floors::listUtf8(bytes, out, size_t(1) << 20, [&](std::string &block) {
        ok = ok && writeAll(STDOUT_FILENO, block.data(), block.size());
        block.clear();
    });
    return ok ? 0 : 1;
}

// Plain Latin-1 text enciphered: each byte but 0x80 with its high bit toggled.
void putEnciphered(std::string &out, const char *latin1)
{
    for (const char *c = latin1; *c; ++c)
        out.push_back(static_cast<unsigned char>(*c) == 0x80 ? *c : char(*c ^ 0x80));
}

int make(long count, const char *path)
{
    std::string out;
    putEnciphered(out, "master password");
    out += "\r\n";
    char line[128];
    for (long i = 0; i < count; ++i) {
        // "P\xE4ss" is "Päss" in Latin-1, as 1252 has it.
        std::snprintf(line, sizeof line, "user%07ld|||P\xE4ss-%07ld|||site%07ld.example", i, i * 7919 % 9999991, i);
        putEnciphered(out, line);
        out += "\r\n";
    }
    out += "\r\n";
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool ok = fd >= 0 && writeAll(fd, out.data(), out.size());
    if (fd >= 0)
        ::close(fd);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return list(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "make") == 0)
        return make(std::atol(argv[2]), argv[3]);
    std::fputs("usage: vault_floor list VAULT | vault_floor make COUNT VAULT\n", stderr);
    return 2;
}
