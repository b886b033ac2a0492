#include "framestore.h"

#include <sys/uio.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

size_t readfield(FILE *file, char field[12])
{
    for (size_t i = 0; i < 12; ++i) {
        int c = getc(file);
        if (c == EOF)
            return 0;
        field[i] = char(c);
        if (c == ' ')
            return i + 1;
    }
    return 0;
}

// What a frame header says; all frames of a sequence must share it.
struct FrameSpec {
    int32_t width;
    int32_t height;
    int32_t maxval;
};

// Reads the format tag (not examined), then width, height and maxval.
static bool readheader(FILE *file, FrameSpec &spec)
{
    char field[12];
    if (readfield(file, field) == 0)
        return false;
    int32_t *values[3] = {&spec.width, &spec.height, &spec.maxval};
    for (int32_t *value : values) {
        size_t len = readfield(file, field);
        if (len == 0)
            return false;
        *value = atoi32(field, len);
    }
    return true;
}

// Fills iov from the file at offset; false when the file ends (or fails)
// first, with what there was already in place.
static bool readvectors(int fd, struct iovec *iov, int count, off_t offset)
{
    int first = 0;
    while (first < count) {
        ssize_t got = preadv(fd, iov + first, count - first, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        offset += got;
        // A short count leaves the rest of the vectors to the next call.
        for (size_t left = size_t(got); left > 0;) {
            size_t take = left < iov[first].iov_len ? left : iov[first].iov_len;
            iov[first].iov_base = static_cast<char *>(iov[first].iov_base) + take;
            iov[first].iov_len -= take;
            left -= take;
            if (iov[first].iov_len == 0)
                ++first;
        }
    }
    return true;
}

// Copies the file's rows, top row first, into slot k from its last row
// down. A file that ends early leaves the rest of the slot as it was.
static void readrows(const FrameStore &fs, FILE *file, int32_t k)
{
    size_t rowbytes = size_t(fs.width) * 3;
    off_t offset = ftello(file);  // just past the fourth header space
    if (offset < 0) {
        // Not seekable (a pipe named like a frame file): through stdio.
        for (int32_t r = 0; r < fs.height; ++r)
            if (fread(rowaddress(fs, k, r), 1, rowbytes, file) < rowbytes)
                return;
        return;
    }
    // Scatter reads put the bytes straight from the page cache into the
    // slot, up to IOV_MAX rows a call, with no stdio buffer in between.
    struct iovec iov[IOV_MAX];
    for (int32_t r = 0; r < fs.height; r += IOV_MAX) {
        int count = fs.height - r < IOV_MAX ? fs.height - r : IOV_MAX;
        for (int i = 0; i < count; ++i)
            iov[i] = {rowaddress(fs, k, r + i), rowbytes};
        if (!readvectors(fileno(file), iov, count, offset))
            return;
        offset += off_t(rowbytes) * count;
    }
}

// Everything after the file opened: header, checks, allocation, rows.
static FrameResult readopenframe(FrameStore &fs, FILE *file, int32_t n, int32_t startframe,
                                 int32_t &refmaxval)
{
    FrameSpec spec;
    if (!readheader(file, spec)) {
        logline("ERROR: frame %d: unreadable header", n);
        return FrameSkipped;
    }
    int32_t w = spec.width, h = spec.height, m = spec.maxval;
    // Decided before anything is allocated or compared, so that a slot size
    // is always a positive int32.
    if (!fitsframesize(w, h)) {
        logline("ERROR: frame %d: bad size (%d,%d)", n, w, h);
        return FrameSkipped;
    }
    if (fs.width == -1 && !allocstore(fs, w, h)) {
        logline("ERROR: not enough memory for %d frames of (%d,%d)", fs.numframes, w, h);
        return FrameNoMemory;
    }
    if ((fs.width != -1 && fs.width != w) || (fs.height != -1 && fs.height != h) ||
        (refmaxval != -1 && refmaxval != m)) {
        logline("ERROR: frame %d different.  Spec was (%d,%d,%d), now (%d,%d,%d)", n, fs.width,
                fs.height, refmaxval, w, h, m);
        return FrameMismatch;
    }
    fs.width = w;
    fs.height = h;
    refmaxval = m;
    logline("Read frame %d: (%d,%d,%d)", n, w, h, m);
    readrows(fs, file, int32_t(int64_t(n) - startframe));
    return FrameStored;
}

FrameResult loadframe(FrameStore &fs, const char *root, int32_t n, int32_t startframe,
                      int32_t &refmaxval)
{
    std::string name = std::string(root) + "." + std::to_string(n) + ".ppm";
    logline("Opening %s", name.c_str());
    FILE *file = fopen(name.c_str(), "rb");
    if (file == nullptr) {
        logline("Failed");
        return FrameSkipped;
    }
    logline("Success!");
    FrameResult result = readopenframe(fs, file, n, startframe, refmaxval);
    fclose(file);
    return result;
}

void readframe(FrameStore &fs, const char *root, int32_t n, int32_t startframe,
               int32_t &refmaxval)
{
    FrameResult result = loadframe(fs, root, n, startframe, refmaxval);
    if (result == FrameMismatch || result == FrameNoMemory) {
        freestore(fs);
        exit(1);
    }
}
