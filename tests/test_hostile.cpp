// Hostile frame files through the real player: frame 1 is the bad file,
// frame 2 a good one, so each case shows whether loading goes on. The same
// table is the README's table of bad inputs, and a test keeps the two equal.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

struct HostileCase {
    const char *name;
    const char *input;    // the README's words for the file
    std::string content;  // of a.1.ppm (see makeentry)
    const char *lines;    // what the player writes after "Opening a.1.ppm"
    int status;
    bool goeson;        // frame 2 is read after it
    int endframe = 2;   // a range long enough to need more memory than there is
};

const std::string kPixels = pixelbytes(2, 2, 1);
const char *const kUnreadable = "Success!\nERROR: frame 1: unreadable header\n";

const HostileCase kCases[] = {
    {"EmptyFile", "empty file", "", kUnreadable, 0, true},
    {"CutInTag", "header cut inside the tag (`P`)", "P", kUnreadable, 0, true},
    {"CutInWidth", "header cut inside the width (`P6 2`)", "P6 2", kUnreadable, 0, true},
    {"CutInHeight", "header cut inside the height (`P6 2 2`)", "P6 2 2", kUnreadable, 0, true},
    {"CutInMaxval", "header cut inside maxval (`P6 2 2 25`)", "P6 2 2 25", kUnreadable, 0, true},
    {"Field12Bytes", "field of exactly 12 bytes with its space (`00000000002 `)",
     "P6 00000000002 2 255 " + kPixels, "Success!\nRead frame 1: (2,2,255)\n", 0, true},
    {"Field13Bytes", "field of 13 bytes with its space (`000000000002 `)",
     "P6 000000000002 2 255 " + kPixels, kUnreadable, 0, true},
    {"LineFeedHeader", "usual header with line feeds (`P6\\n2 2\\n255\\n`)",
     "P6\n2 2\n255\n" + kPixels, kUnreadable, 0, true},
    {"WidthBeyond32Bits", "width with digits beyond 32 bits (`99999999999`)",
     "P6 99999999999 2 255 " + kPixels, "Success!\nERROR: frame 1: bad size (2147483647,2)\n", 0,
     true},
    {"HeightBelow32Bits", "height below the 32-bit range (`-9999999999`)",
     "P6 2 -9999999999 255 " + kPixels, "Success!\nERROR: frame 1: bad size (2,-2147483648)\n", 0,
     true},
    {"WidthZero", "width 0", "P6 0 2 255 " + kPixels, "Success!\nERROR: frame 1: bad size (0,2)\n",
     0, true},
    {"HeightNegative", "negative height", "P6 2 -2 255 " + kPixels,
     "Success!\nERROR: frame 1: bad size (2,-2)\n", 0, true},
    {"FrameSizeOverflows", "width x height x 3 just beyond 2147483647 (`715827883 1`)",
     "P6 715827883 1 255 " + kPixels, "Success!\nERROR: frame 1: bad size (715827883,1)\n", 0,
     true},
    {"SizeProductBeyond64Bits", "width and height both 2147483647 (x 3 overflows 64 bits)",
     "P6 2147483647 2147483647 255 " + kPixels,
     "Success!\nERROR: frame 1: bad size (2147483647,2147483647)\n", 0, true},
    {"BlockBeyondMemory", "frames whose block exceeds available memory (100 of 20000 x 20000)",
     "P6 20000 20000 255 " + kPixels,
     "Success!\nERROR: not enough memory for 100 frames of (20000,20000)\n", 1, false, 100},
    {"Directory", "directory named like a frame file", kDir, kUnreadable, 0, true},
    {"DanglingLink", "dangling symbolic link named like a frame file", kLink + "nowhere.ppm",
     "Failed\n", 0, true},
    {"PixelsCutShort", "pixel data cut short (the rest of the frame shows black)",
     "P6 2 2 255 " + kPixels.substr(0, 5), "Success!\nRead frame 1: (2,2,255)\n", 0, true},
    {"BytesAfterLastRow", "extra bytes after the last row (not read)",
     "P6 2 2 255 " + kPixels + "trailing bytes", "Success!\nRead frame 1: (2,2,255)\n", 0, true},
};

void PrintTo(const HostileCase &c, std::ostream *os)
{
    *os << c.name;
}

class Hostile : public testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, ClearLineAndCleanExit)
{
    const HostileCase &c = GetParam();
    std::string dir = makedir();
    makeentry(dir + "/a.1.ppm", c.content);
    writefile(dir + "/a.2.ppm", ppm(2, 2, 2));
    std::string end = std::to_string(c.endframe);
    PlayerRun run = runplayer(dir, {"a", "1", end, "1"});
    std::string expected = "Reading a.ppm.1 -> a.ppm." + end + "\nOpening a.1.ppm\n" + c.lines;
    if (c.goeson)
        expected += "Opening a.2.ppm\nSuccess!\nRead frame 2: (2,2,255)\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.status, c.status) << "stderr: " << run.err;
    removedir(dir);
}

INSTANTIATE_TEST_SUITE_P(Player, Hostile, testing::ValuesIn(kCases), CaseName());

// The README's table, as the cases above make it.
std::string readmetable()
{
    std::string table = "| frame file | lines after `Opening a.1.ppm` | exit status with a good "
                        "frame 2 after it | loading goes on |\n|---|---|---|---|\n";
    for (const HostileCase &c : kCases) {
        std::string lines = c.lines, cell;
        for (size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos;
             start = end + 1)
            cell += (cell.empty() ? "`" : " `") + lines.substr(start, end - start) + "`";
        table += std::string("| ") + c.input + " | " + cell + " | " + std::to_string(c.status) +
                 " | " + (c.goeson ? "yes" : "no") + " |\n";
    }
    return table;
}

TEST(Hostile, ReadmeTableMatchesTheCases)
{
    std::string readme = readfile(SOURCE_DIR "/README.md");
    EXPECT_NE(readme.find(readmetable()), std::string::npos)
        << "README.md must hold this table of bad inputs:\n"
        << readmetable();
}

}  // namespace
