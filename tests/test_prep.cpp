// kinoreel-prep end to end: netpbm inputs in every variant written here,
// converted by the real converter, then played by the real player with the
// window capture, which must show exactly the expected 8-bit pictures.
#include <gtest/gtest.h>

#include <cmath>

#include "harness.h"

namespace {

constexpr int kW = 3, kH = 2;  // odd width: bitmap rows are padded

// A netpbm input and the 8-bit RGB picture (top row first) it stands for.
struct Pnm {
    std::string bytes;
    std::string rgb;
};

// A 3x2 picture of the kind P1..P6 with maxval, its samples spread over the
// whole range by seed; sep separates the tokens of header and plain
// raster, and comment follows each header token.
Pnm makepnm(int kind, long maxval, int seed, const std::string &sep = "\n",
            const std::string &comment = "")
{
    bool plain = kind <= 3;
    int channels = kind % 3 == 0 ? 3 : kind % 3 == 2 ? 1 : 0;  // 0: bitmap
    int count = kW * kH * (channels ? channels : 1);
    std::vector<long> v(count);
    for (int i = 0; i < count; ++i)
        v[i] = channels == 0 ? (i + seed) % 2
                             : i == 0 ? 0 : i == 1 ? maxval : (i * 7919L + seed * 104729L) % (maxval + 1);

    Pnm p;
    p.bytes = "P" + std::to_string(kind) + comment + sep + std::to_string(kW) + comment + sep +
              std::to_string(kH) + comment;
    if (channels)
        p.bytes += sep + std::to_string(maxval) + (plain ? comment : "");
    p.bytes += plain ? sep : "\n";  // a raw header ends with one white space byte
    for (int i = 0; i < count; ++i) {
        if (plain)
            p.bytes += std::to_string(v[i]) + sep;
        else if (channels == 0 && i % kW == 0)
            p.bytes += char(v[i] << 7 | v[i + 1] << 6 | v[i + 2] << 5);  // one padded byte a row
        else if (channels && maxval > 255)
            p.bytes += std::string{char(v[i] >> 8), char(v[i] & 255)};
        else if (channels)
            p.bytes += char(v[i]);
        unsigned char out = channels ? (unsigned char)std::lround(v[i] * 255.0 / maxval)
                                     : v[i] ? 0 : 255;
        p.rgb += std::string(channels == 3 ? 1 : 3, char(out));
    }
    return p;
}

struct PrepCase {
    const char *name;
    std::vector<Pnm> files;  // in.1.pnm, in.2.pnm, ...; each may hold several pictures
    std::vector<std::string> args;
    std::string input;  // standard input
    std::vector<std::string> pictures;
    std::string root = "frame";
    int first = 1;
};

// Several pictures back to back, as one input.
Pnm stream(const std::vector<Pnm> &parts, const std::string &between = "")
{
    Pnm all;
    for (const Pnm &p : parts) {
        all.bytes += p.bytes + between;
        all.rgb += p.rgb;
    }
    return all;
}

std::vector<std::string> split(const std::string &rgb)
{
    std::vector<std::string> pictures;
    for (size_t at = 0; at < rgb.size(); at += kW * kH * 3)
        pictures.push_back(rgb.substr(at, kW * kH * 3));
    return pictures;
}

PrepCase onefile(const char *name, const Pnm &p)
{
    return {name, {p}, {"in.1.pnm"}, "", split(p.rgb)};
}

const Pnm kStream = stream({makepnm(6, 255, 1), makepnm(5, 1023, 2), makepnm(4, 1, 3)});
const Pnm kPiped = stream({makepnm(6, 255, 4), makepnm(3, 15, 5)}, "\n");

const PrepCase kCases[] = {
    onefile("P1Plain", makepnm(1, 1, 0)),
    onefile("P1PlainNoSpaces", {"P1 3 2 010101", makepnm(1, 1, 0).rgb}),
    onefile("P4Raw", makepnm(4, 1, 1)),
    onefile("P2Maxval15", makepnm(2, 15, 1)),
    onefile("P5Maxval255", makepnm(5, 255, 1)),
    onefile("P5Maxval65535", makepnm(5, 65535, 1)),
    onefile("P3Maxval1023", makepnm(3, 1023, 1)),
    onefile("P6Maxval1", makepnm(6, 1, 1)),
    onefile("P6Maxval15", makepnm(6, 15, 1)),
    onefile("P6Maxval255", makepnm(6, 255, 1)),
    onefile("P6Maxval1023", makepnm(6, 1023, 1)),
    onefile("P6Maxval65535", makepnm(6, 65535, 1)),
    onefile("P6CommentsInHeader", makepnm(6, 255, 2, "\n", " # a comment")),
    onefile("P3CommentsEverywhere", makepnm(3, 255, 2, "\n#c\n", "#c")),
    onefile("P3CrlfLineEnds", makepnm(3, 255, 3, "\r\n")),
    onefile("P6CrlfHeader", makepnm(6, 255, 3, "\r\n")),
    onefile("P2TabsAndSpaces", makepnm(2, 255, 3, " \t ")),
    onefile("SeveralPicturesInOneFile", kStream),
    {"StandardInput", {}, {"-"}, kPiped.bytes, split(kPiped.rgb)},
    {"TwoFilesAndStandardInput",
     {makepnm(6, 255, 6), makepnm(2, 255, 7)},
     {"in.1.pnm", "-", "in.2.pnm"},
     makepnm(5, 255, 8).bytes,
     {makepnm(6, 255, 6).rgb, makepnm(5, 255, 8).rgb, makepnm(2, 255, 7).rgb}},
    {"RootAndFirst",
     {makepnm(6, 255, 9)},
     {"-o", "clip", "-s", "-1", "in.1.pnm"},
     "",
     {makepnm(6, 255, 9).rgb},
     "clip",
     -1},
};

void PrintTo(const PrepCase &c, std::ostream *os)
{
    *os << c.name;
}

class Prep : public testing::TestWithParam<PrepCase> {};

TEST_P(Prep, ConvertsAndPlaysExactly)
{
    const PrepCase &c = GetParam();
    std::string dir = makedir();
    for (size_t i = 0; i < c.files.size(); ++i)
        writefile(dir + "/in." + std::to_string(i + 1) + ".pnm", c.files[i].bytes);

    PlayerRun prep = runprogram(PREP_BIN, dir, c.args, {}, c.input);
    int last = c.first + int(c.pictures.size()) - 1;
    std::vector<std::string> play{c.root, std::to_string(c.first), std::to_string(last), "1"};
    ASSERT_EQ(prep.status, 0) << prep.err;
    EXPECT_EQ(prep.out, "kinoreel " + play[0] + " " + play[1] + " " + play[2] + " 1\n");
    for (int n = c.first; n <= last; ++n)
        EXPECT_EQ(readfile(dir + "/" + c.root + "." + std::to_string(n) + ".ppm"),
                  "P6 3 2 255 " + c.pictures[size_t(n - c.first)])
            << "frame " << n;

    PlayerRun run = runcaptured(dir, play);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(capturedpictures(dir, kW, kH), c.pictures);
    removedir(dir);
}

INSTANTIATE_TEST_SUITE_P(Converter, Prep, testing::ValuesIn(kCases), CaseName());

struct BadCase {
    const char *name;
    std::vector<std::string> files;  // in.1.pnm, ...; "" for none
    std::vector<std::string> args;
    std::string err;                  // the whole of standard error
    std::vector<std::string> after;   // the folder's names afterwards
};

const std::string kGood = makepnm(6, 255, 1).bytes;

const BadCase kBad[] = {
    {"UnknownMagic", {"P7 3 2 255\n"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: not a netpbm picture (no magic number P1 to P6)\n",
     {"in.1.pnm"}},
    {"BadNumber", {"P6 3 x 255\n"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: bad height: 'x' is not a digit\n", {"in.1.pnm"}},
    {"MaxvalZero", {"P5 3 2 0\n123456"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: maxval 0 outside 1 to 65535\n", {"in.1.pnm"}},
    {"MaxvalAbove65535", {"P5 3 2 65536\n123456"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: maxval 65536 outside 1 to 65535\n", {"in.1.pnm"}},
    {"ZeroWidth", {"P5 0 2 255\n"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: bad size 0x2\n", {"in.1.pnm"}},
    {"TooLargeForThePlayer", {"P6 50000 50000 255\n"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: picture of 50000x50000 too large for the player\n",
     {"in.1.pnm"}},
    {"CutShortInHeader", {"P6 3"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: picture cut short in its height\n", {"in.1.pnm"}},
    {"CutShortInPixels", {"P6 3 2 255\n12345"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: picture cut short in its pixels\n", {"in.1.pnm"}},
    {"PlainSampleAboveMaxval", {"P2 3 2 15 1 2 3 4 5 16"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: sample 16 above maxval 15\n", {"in.1.pnm"}},
    {"RawSampleAboveMaxval", {"P5 3 2 15\n\x01\x02\x03\x04\x05\xc8"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: sample 200 above maxval 15\n", {"in.1.pnm"}},
    {"BadBit", {"P1 3 2 1 0 2 1 1 1"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 1: bad bit '2'\n", {"in.1.pnm"}},
    {"SecondPictureCutShort", {kGood + "P6 3 2 255\n12"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 2: picture cut short in its pixels\n",
     {"frame.1.ppm", "in.1.pnm"}},
    {"SizeDiffersWithinAFile", {kGood + "P5 2 2 255\n1234"}, {"in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 2 is 2x2, but in.1.pnm: picture 1 is 3x2; the frames "
     "of a sequence share one size\n",
     {"frame.1.ppm", "in.1.pnm"}},
    {"SizeDiffersAcrossFiles", {kGood, "P5 2 2 255\n1234"}, {"in.1.pnm", "in.2.pnm"},
     "kinoreel-prep: in.2.pnm: picture 1 is 2x2, but in.1.pnm: picture 1 is 3x2; the frames "
     "of a sequence share one size\n",
     {"frame.1.ppm", "in.1.pnm", "in.2.pnm"}},
    {"EmptyInput", {""}, {"in.1.pnm"}, "kinoreel-prep: in.1.pnm: no picture\n", {"in.1.pnm"}},
    {"MissingInput", {}, {"nothere.pnm"},
     "kinoreel-prep: nothere.pnm: No such file or directory\n", {}},
    {"NoInput", {}, {}, "usage: kinoreel-prep [-o ROOT] [-s FIRST] [-f] FILE...\n", {}},
    {"UnknownOption", {kGood}, {"-x", "in.1.pnm"},
     "usage: kinoreel-prep [-o ROOT] [-s FIRST] [-f] FILE...\n",
     {"in.1.pnm"}},
    {"BadFirst", {kGood}, {"-s", "1x", "in.1.pnm"},
     "kinoreel-prep: -s 1x: not a frame number\n", {"in.1.pnm"}},
    {"FrameNumberBeyond32Bits", {kGood + kGood}, {"-s", "2147483647", "in.1.pnm"},
     "kinoreel-prep: in.1.pnm: picture 2: frame number beyond 2147483647\n",
     {"frame.2147483647.ppm", "in.1.pnm"}},
};

void PrintTo(const BadCase &c, std::ostream *os)
{
    *os << c.name;
}

class PrepBad : public testing::TestWithParam<BadCase> {};

TEST_P(PrepBad, OneLineStatusOneNoPartialFrame)
{
    const BadCase &c = GetParam();
    std::string dir = makedir();
    for (size_t i = 0; i < c.files.size(); ++i)
        writefile(dir + "/in." + std::to_string(i + 1) + ".pnm", c.files[i]);
    PlayerRun run = runprogram(PREP_BIN, dir, c.args);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(listdir(dir), c.after) << "no partial frame, no temporary file";
    removedir(dir);
}

INSTANTIATE_TEST_SUITE_P(Converter, PrepBad, testing::ValuesIn(kBad), CaseName());

TEST(PrepOverwrite, RefusedWithoutForce)
{
    // The second frame stands already: the first is written, the second
    // is left as it was, and nothing else appears.
    std::string dir = makedir();
    Pnm p = makepnm(6, 255, 1);
    writefile(dir + "/in.pnm", p.bytes + p.bytes);
    writefile(dir + "/frame.2.ppm", "keep");
    PlayerRun run = runprogram(PREP_BIN, dir, {"in.pnm"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kinoreel-prep: frame.2.ppm exists (-f overwrites)\n");
    EXPECT_EQ(readfile(dir + "/frame.1.ppm"), "P6 3 2 255 " + p.rgb);
    EXPECT_EQ(readfile(dir + "/frame.2.ppm"), "keep");
    EXPECT_EQ(listdir(dir), (std::vector<std::string>{"frame.1.ppm", "frame.2.ppm", "in.pnm"}));
    removedir(dir);
}

TEST(PrepOverwrite, ForceReplacesAnExistingFrame)
{
    std::string dir = makedir();
    Pnm p = makepnm(6, 255, 1);
    writefile(dir + "/in.pnm", p.bytes);
    writefile(dir + "/frame.1.ppm", "old");
    PlayerRun run = runprogram(PREP_BIN, dir, {"-f", "in.pnm"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readfile(dir + "/frame.1.ppm"), "P6 3 2 255 " + p.rgb);
    EXPECT_EQ(listdir(dir), (std::vector<std::string>{"frame.1.ppm", "in.pnm"}));
    removedir(dir);
}

}  // namespace
