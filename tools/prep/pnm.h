// Reading netpbm pictures (P1 to P6, plain and raw) as 8-bit RGB.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct Picture {
    int width;
    int height;
    std::vector<unsigned char> rgb;  // rows top first, 3 bytes a pixel
};

enum PnmResult {
    PnmPicture,  // picture holds the next picture of the stream
    PnmEnd,      // the stream ended cleanly before another picture
    PnmError,    // error says what is wrong
};

// Reads the next picture of a stream of pictures back to back. Samples are
// scaled from maxval to 255 with rounding; grey and bitmap pictures are
// expanded to RGB, a bitmap 1 being black.
PnmResult readpicture(FILE *file, Picture &picture, std::string &error);
