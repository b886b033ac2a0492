#include "pnm.h"

#include <cctype>
#include <climits>
#include <cstdint>

namespace {

bool isspacebyte(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Skips white space and comments, which run from # to the end of the line.
// Gives the first other byte, left unread, or EOF.
int skipspace(FILE *file)
{
    for (;;) {
        int c = getc(file);
        if (c == '#') {
            while (c != '\n' && c != '\r' && c != EOF)
                c = getc(file);
        }
        if (c == EOF || !isspacebyte(c)) {
            if (c != EOF)
                ungetc(c, file);
            return c;
        }
    }
}

// A decimal number after white space and comments, up to limit.
bool readnumber(FILE *file, long limit, long &value, const char *what, std::string &error)
{
    int c = skipspace(file);
    if (c == EOF) {
        error = std::string("picture cut short in its ") + what;
        return false;
    }
    if (!isdigit(c)) {
        error = std::string("bad ") + what + ": '" + char(c) + "' is not a digit";
        return false;
    }
    value = 0;
    while ((c = getc(file)) != EOF && isdigit(c)) {
        value = value * 10 + (c - '0');
        if (value > limit) {
            error = std::string(what) + " above " + std::to_string(limit);
            return false;
        }
    }
    if (c != EOF)
        ungetc(c, file);
    return true;
}

unsigned char scale(long sample, long maxval)
{
    return static_cast<unsigned char>((sample * 255 + maxval / 2) / maxval);
}

// The raster of a bitmap: plain '0'/'1' characters, or raw rows of bits
// padded to whole bytes, most significant bit first.
bool readbits(FILE *file, bool plain, Picture &p, std::string &error)
{
    std::vector<unsigned char> row((size_t(p.width) + 7) / 8);
    for (int y = 0; y < p.height; ++y) {
        if (!plain && fread(row.data(), 1, row.size(), file) != row.size()) {
            error = "picture cut short in its pixels";
            return false;
        }
        for (int x = 0; x < p.width; ++x) {
            int bit;
            if (plain) {
                int c = skipspace(file);
                if (c == EOF) {
                    error = "picture cut short in its pixels";
                    return false;
                }
                getc(file);
                if (c != '0' && c != '1') {
                    error = std::string("bad bit '") + char(c) + "'";
                    return false;
                }
                bit = c - '0';
            } else {
                bit = (row[size_t(x) / 8] >> (7 - x % 8)) & 1;
            }
            unsigned char v = bit ? 0 : 255;
            unsigned char *out = &p.rgb[(size_t(y) * p.width + x) * 3];
            out[0] = out[1] = out[2] = v;
        }
    }
    return true;
}

// The raster of a grey (channels 1) or colour (channels 3) picture.
bool readsamples(FILE *file, bool plain, int channels, long maxval, Picture &p,
                 std::string &error)
{
    size_t persample = maxval > 255 ? 2 : 1;
    size_t count = size_t(p.width) * channels;
    std::vector<unsigned char> row(count * persample);
    for (int y = 0; y < p.height; ++y) {
        if (!plain && fread(row.data(), 1, row.size(), file) != row.size()) {
            error = "picture cut short in its pixels";
            return false;
        }
        unsigned char *out = &p.rgb[size_t(y) * p.width * 3];
        for (size_t i = 0; i < count; ++i) {
            long sample;
            if (plain) {
                if (!readnumber(file, INT_MAX, sample, "sample", error)) {
                    if (error.rfind("picture cut short", 0) == 0)
                        error = "picture cut short in its pixels";
                    return false;
                }
            } else {
                sample = persample == 2 ? row[2 * i] << 8 | row[2 * i + 1] : row[i];
            }
            if (sample > maxval) {
                error = "sample " + std::to_string(sample) + " above maxval " + std::to_string(maxval);
                return false;
            }
            unsigned char v = scale(sample, maxval);
            if (channels == 3) {
                out[i] = v;
            } else {
                out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = v;
            }
        }
    }
    return true;
}

}  // namespace

PnmResult readpicture(FILE *file, Picture &p, std::string &error)
{
    // Pictures follow one another, white space allowed between them.
    int c = skipspace(file);
    if (c == EOF)
        return PnmEnd;
    int magic[2] = {getc(file), getc(file)};
    if (magic[0] != 'P' || magic[1] < '1' || magic[1] > '6') {
        error = "not a netpbm picture (no magic number P1 to P6)";
        return PnmError;
    }
    int kind = magic[1] - '0';
    bool plain = kind <= 3;
    int format = (kind - 1) % 3;  // 0 bitmap, 1 grey, 2 colour

    long width, height, maxval = 1;
    if (!readnumber(file, INT_MAX, width, "width", error) ||
        !readnumber(file, INT_MAX, height, "height", error) ||
        (format != 0 && !readnumber(file, INT_MAX, maxval, "maxval", error)))
        return PnmError;
    if (width < 1 || height < 1) {
        error = "bad size " + std::to_string(width) + "x" + std::to_string(height);
        return PnmError;
    }
    if (maxval < 1 || maxval > 65535) {
        error = "maxval " + std::to_string(maxval) + " outside 1 to 65535";
        return PnmError;
    }
    // The player holds a frame of at most 2147483647 bytes.
    if (width * height > INT_MAX / 3) {
        error = "picture of " + std::to_string(width) + "x" + std::to_string(height) +
                " too large for the player";
        return PnmError;
    }
    if (!plain) {
        // One white space byte ends the header; the raster follows at once.
        c = getc(file);
        if (c == EOF) {
            error = "picture cut short in its pixels";
            return PnmError;
        }
        if (!isspacebyte(c)) {
            error = std::string("bad header: '") + char(c) + "' after its last number";
            return PnmError;
        }
    }
    p.width = int(width);
    p.height = int(height);
    p.rgb.assign(size_t(width) * height * 3, 0);
    bool ok = format == 0 ? readbits(file, plain, p, error)
                          : readsamples(file, plain, format == 1 ? 1 : 3, maxval, p, error);
    return ok ? PnmPicture : PnmError;
}
