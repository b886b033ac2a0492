// The frame store and the frame reader that fills it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The whole animation, preloaded before the window opens: one block of
// numframes equal slots back to back. A slot holds height rows of width*3
// bytes (red, green, blue), bottom row first, so that glDrawPixels can take
// it as it stands.
struct FrameStore {
    unsigned char *pixels;  // null until the first good frame header
    int32_t width;          // -1 until the first frame is stored
    int32_t height;         // -1 until the first frame is stored
    int32_t numtimes;       // passes to play
    int32_t numframes;      // slots: one per frame number of the range
    int32_t framesize;      // bytes per slot, set with pixels
    int32_t timesplayed;    // passes drawn so far
};

// The one store of the process.
extern FrameStore store;

// Writes one line to standard output and flushes it at once.
void logline(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Number conversion after atoi: leading white space, one optional sign,
// then digits up to the first other byte; no digits gives 0. Unlike atoi a
// value beyond the 32-bit range takes the nearest limit. Reads at most len
// bytes.
int32_t atoi32(const char *text, size_t len);
int32_t atoi32(const char *text);

// Empties the store and sizes it for numframes slots.
void setupstore(FrameStore &fs, int32_t numframes, int32_t numtimes);

// Whether a frame of w x h pixels has a size the store can hold: both
// positive, and w * h * 3 bytes within the int32 framesize.
bool fitsframesize(int32_t w, int32_t h);

// Allocates the zero-filled block of numframes slots of w x h pixels. False
// when the size overflows, exceeds the memory the system reports available,
// or cannot be had; the store is then unchanged.
bool allocstore(FrameStore &fs, int32_t w, int32_t h);

// The memory the system reports available for new allocations, in bytes,
// from a Linux meminfo file such as /proc/meminfo; -1 when it cannot be
// read there.
int64_t memavailable(const char *meminfo);

// The meminfo file allocstore consults: /proc/meminfo, unless a test
// stands in a smaller machine.
extern const char *meminfopath;

// Frees the block, if there is one.
void freestore(FrameStore &fs);

// Where file row r (0 = top of the picture) of slot k begins.
unsigned char *rowaddress(const FrameStore &fs, int32_t k, int32_t r);

// Reads one header field into field: bytes one at a time up to and
// including the first space. Gives the field's length, its space included,
// or 0 when no space came within the 12 bytes or the file ended first.
size_t readfield(FILE *file, char field[12]);

enum FrameResult {
    FrameStored,    // header accepted, rows copied into the slot
    FrameSkipped,   // did not open or header unusable; loading goes on
    FrameMismatch,  // header differs from the frames before it
    FrameNoMemory,  // the block could not be had
};

// Reads frame n into its slot with its log lines and says how it went; the
// two fatal results leave the ending of the process to the caller.
// refmaxval is the maxval of the frames already stored, -1 before the first.
FrameResult loadframe(FrameStore &fs, const char *root, int32_t n, int32_t startframe,
                      int32_t &refmaxval);

// loadframe, ending the process with status 1 on a mismatch or when the
// block cannot be had (the block freed first).
void readframe(FrameStore &fs, const char *root, int32_t n, int32_t startframe,
               int32_t &refmaxval);
