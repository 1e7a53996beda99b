#include "app/memoryscan.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#endif

namespace MemoryScan {

QByteArray masked(QByteArrayView clear)
{
    QByteArray out(clear.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < clear.size(); ++i)
        out[i] = char(clear[i] ^ kMask);
    return out;
}

#ifdef Q_OS_LINUX

bool available()
{
    return ::access("/proc/self/mem", R_OK) == 0;
}

namespace {

struct Region {
    quintptr start;
    quintptr end;
    char name[128];
};

bool matchesAt(const char* at, const QByteArray& maskedBytes)
{
    for (qsizetype i = 1; i < maskedBytes.size(); ++i) {
        if (char(at[i] ^ kMask) != maskedBytes[i])
            return false;
    }
    return true;
}

} // namespace

QStringList find(const QList<Pattern>& patterns)
{
    // Read with plain system calls into memory of our own, mapped apart and
    // skipped, so that the copies the search makes are never searched.
    constexpr size_t kChunk = 1 << 20;
    qsizetype longest = 1;
    for (const Pattern& pattern : patterns)
        longest = std::max(longest, pattern.maskedBytes.size());
    const size_t bufferSize = kChunk + size_t(longest);
    auto* buffer =
        static_cast<char*>(::mmap(nullptr, bufferSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (buffer == MAP_FAILED)
        return {QStringLiteral("no memory to scan with")};
    const auto own = quintptr(buffer);

    // The list of regions is read before the search, into fixed storage.
    static Region regions[4096];
    int regionCount = 0;
    if (FILE* maps = std::fopen("/proc/self/maps", "r")) {
        char line[512];
        while (regionCount < 4096 && std::fgets(line, sizeof line, maps)) {
            unsigned long start = 0, end = 0;
            char perms[8] = {};
            char name[128] = {};
            if (std::sscanf(line, "%lx-%lx %7s %*s %*s %*s %127[^\n]", &start, &end, perms, name) < 3)
                continue;
            if (perms[0] != 'r' || perms[1] != 'w')
                continue;
            // The kernel may merge the buffer's mapping with its neighbours:
            // only the buffer's own bytes are left out.
            const quintptr ownEnd = own + bufferSize;
            const quintptr parts[2][2] = {{quintptr(start), std::min<quintptr>(end, own)},
                                          {std::max<quintptr>(start, ownEnd), quintptr(end)}};
            for (const auto& part : parts) {
                if (part[0] >= part[1] || regionCount == 4096)
                    continue;
                regions[regionCount] = {part[0], part[1], {}};
                std::memcpy(regions[regionCount].name, name, sizeof name);
                ++regionCount;
            }
        }
        std::fclose(maps);
    }

    QStringList found;
    const int mem = ::open("/proc/self/mem", O_RDONLY);
    for (int r = 0; r < regionCount && mem >= 0; ++r) {
        const Region& region = regions[r];
        for (quintptr at = region.start; at < region.end; at += kChunk) {
            // Each chunk overlaps the next by a pattern's length, less one.
            const size_t want = std::min<size_t>(bufferSize, region.end - at);
            const ssize_t got = ::pread(mem, buffer, want, off_t(at));
            if (got <= 0)
                break;
            for (const Pattern& pattern : patterns) {
                const char first = char(pattern.maskedBytes[0] ^ kMask);
                const char* end = buffer + got - pattern.maskedBytes.size() + 1;
                for (const char* hit = buffer; hit < end;) {
                    hit = static_cast<const char*>(std::memchr(hit, first, size_t(end - hit)));
                    if (!hit)
                        break;
                    if (matchesAt(hit, pattern.maskedBytes)) {
                        found.append(QStringLiteral("%1 at %2 in %3")
                                         .arg(pattern.label)
                                         .arg(quintptr(at + quintptr(hit - buffer)), 0, 16)
                                         .arg(QString::fromLocal8Bit(region.name)));
                    }
                    ++hit;
                }
            }
        }
    }
    if (mem >= 0)
        ::close(mem);
    explicit_bzero(buffer, bufferSize);
    ::munmap(buffer, bufferSize);
    return found;
}

#else

bool available()
{
    return false;
}

QStringList find(const QList<Pattern>&)
{
    return {};
}

#endif

} // namespace MemoryScan
