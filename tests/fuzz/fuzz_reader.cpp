// Fuzzes the frame reader: arbitrary bytes become a sequence of one to
// three frame files, read through the real loading code (header fields,
// conversion, size checks, allocation, comparison, row copy).
//
// Input: one control byte, then the files' contents separated by "|F|".
//   bits 0-1  frame count, 1 + value % 3
//   bits 2-4  frames left without a file (bit i: frame i)
//   bit 5     start the range at -1 instead of 1
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "framestore.h"

static std::string folder, root;
static volatile unsigned sink;  // keeps the slot reads below

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The log lines are the transcript tests' business, and slow here.
    if (freopen("/dev/null", "w", stdout) == nullptr)
        abort();
    // Memory-backed where there is such a folder: a file is written per frame
    // per run.
    char shm[] = "/dev/shm/kinoreel-fuzz-XXXXXX", tmp[] = "/tmp/kinoreel-fuzz-XXXXXX";
    const char *dir = mkdtemp(shm);
    if (dir == nullptr && (dir = mkdtemp(tmp)) == nullptr)
        abort();
    folder = dir;
    atexit([] { std::filesystem::remove_all(folder); });
    root = folder + "/f";
    // A machine with 256 MiB available: larger blocks take the refusal
    // path instead of making every run slow with gigabytes of mappings.
    static std::string meminfo = std::string(dir) + "/meminfo";
    FILE *file = fopen(meminfo.c_str(), "w");
    if (file == nullptr || fputs("MemAvailable:     262144 kB\n", file) < 0 || fclose(file) != 0)
        abort();
    meminfopath = meminfo.c_str();
    return 0;
}

static void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    int count = 1 + (data[0] & 3) % 3;
    int missing = (data[0] >> 2) & 7;
    int32_t startframe = (data[0] & 32) ? -1 : 1;
    std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);

    for (int i = 0; i < count; ++i) {
        std::string name = root + "." + std::to_string(startframe + i) + ".ppm";
        size_t end = rest.find("|F|");
        std::string content = rest.substr(0, end);
        rest = end == std::string::npos ? "" : rest.substr(end + 3);
        if (missing & (1 << i)) {
            unlink(name.c_str());
            continue;
        }
        FILE *file = fopen(name.c_str(), "wb");
        check(file != nullptr);
        fwrite(content.data(), 1, content.size(), file);
        fclose(file);
    }

    FrameStore fs;
    setupstore(fs, count, 1);
    int32_t refmaxval = -1;
    for (int i = 0; i < count; ++i) {
        FrameResult result = loadframe(fs, root.c_str(), startframe + i, startframe, refmaxval);
        if (result == FrameStored)
            check(fs.pixels != nullptr && int64_t(fs.width) * fs.height * 3 == fs.framesize);
        if (result == FrameMismatch || result == FrameNoMemory)
            break;  // the player ends here
    }
    if (fs.pixels != nullptr) {
        // Every byte of every slot must be there to be drawn: touch them
        // all in small blocks, the ends of each slot in large ones.
        unsigned sum = 0;
        int64_t blocksize = int64_t(fs.framesize) * fs.numframes;
        if (blocksize <= (1 << 20)) {
            for (int64_t i = 0; i < blocksize; ++i)
                sum += fs.pixels[i];
        } else {
            for (int k = 0; k < fs.numframes; ++k)
                sum += rowaddress(fs, k, 0)[0] + rowaddress(fs, k, fs.height - 1)[0] +
                       fs.pixels[int64_t(k + 1) * fs.framesize - 1];
        }
        sink = sum;
    }
    freestore(fs);
    return 0;
}
