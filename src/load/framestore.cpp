#include "framestore.h"

#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

FrameStore store;
const char *meminfopath = "/proc/meminfo";

void logline(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    putchar('\n');
    fflush(stdout);
}

int32_t atoi32(const char *text, size_t len)
{
    size_t i = 0;
    while (i < len && isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < len && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulate the magnitude in 64 bits and stop growing it once it is
    // past either limit, so no digit count can overflow.
    int64_t value = 0;
    for (; i < len && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value <= INT64_C(1) << 32)
            value = value * 10 + (text[i] - '0');
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t atoi32(const char *text)
{
    return atoi32(text, strlen(text));
}

void setupstore(FrameStore &fs, int32_t numframes, int32_t numtimes)
{
    fs.pixels = nullptr;
    fs.width = -1;
    fs.height = -1;
    fs.numtimes = numtimes;
    fs.numframes = numframes;
    fs.framesize = 0;
    fs.timesplayed = 0;
}

bool fitsframesize(int32_t w, int32_t h)
{
    // w * h fits 62 bits, but three times it may not fit 63: compare it with
    // a third of the limit instead.
    return w > 0 && h > 0 && int64_t(w) * h <= INT32_MAX / 3;
}

bool allocstore(FrameStore &fs, int32_t w, int32_t h)
{
    if (!fitsframesize(w, h) || fs.numframes < 1)
        return false;
    int64_t framesize = int64_t(w) * h * 3;
    // Both factors fit 31 bits, so the product fits 62: only size_t can be
    // too narrow for it.
    int64_t blocksize = framesize * fs.numframes;
    if (uint64_t(blocksize) > SIZE_MAX)
        return false;
    // Refused up front rather than granted lazily and paid for in swap or
    // by the out-of-memory killer half-way through the load.
    int64_t available = memavailable(meminfopath);
    if (available >= 0 && blocksize > available)
        return false;
    // Zero-filled, so a slot whose file never arrives or ends early shows
    // black rather than leftover memory.
    void *block = calloc(size_t(fs.numframes), size_t(framesize));
    if (block == nullptr)
        return false;
    fs.pixels = static_cast<unsigned char *>(block);
    fs.framesize = int32_t(framesize);
    return true;
}

int64_t memavailable(const char *meminfo)
{
    FILE *file = fopen(meminfo, "r");
    if (file == nullptr)
        return -1;
    int64_t bytes = -1;
    char line[256];
    long long kib;
    while (fgets(line, sizeof line, file) != nullptr)
        if (sscanf(line, "MemAvailable: %lld kB", &kib) == 1 && kib >= 0 && kib < INT64_MAX / 1024) {
            bytes = int64_t(kib) * 1024;
            break;
        }
    fclose(file);
    return bytes;
}

void freestore(FrameStore &fs)
{
    free(fs.pixels);
    fs.pixels = nullptr;
}

unsigned char *rowaddress(const FrameStore &fs, int32_t k, int32_t r)
{
    size_t rowbytes = size_t(fs.width) * 3;
    return fs.pixels + size_t(k) * size_t(fs.framesize) + size_t(fs.height - 1 - r) * rowbytes;
}
