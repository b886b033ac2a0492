// The frame reader's pure pieces: number conversion, header fields, and
// where rows and frames land in the store.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <thread>

#include "framestore.h"
#include "harness.h"

namespace {

struct NumberCase {
    const char *text;
    int32_t value;
};

constexpr NumberCase kNumbers[] = {
    {"", 0},
    {"abc", 0},
    {"42", 42},
    {"  42", 42},
    {"\n\t\v\f\r7 ", 7},
    {"+5", 5},
    {"-5", -5},
    {"12ab", 12},
    {"0255", 255},
    {"+-3", 0},
    {"- 3", 0},
    {"2147483647", 2147483647},
    {"2147483648", 2147483647},
    {"-2147483648", -2147483647 - 1},
    {"-2147483649", -2147483647 - 1},
    {"99999999999999999999999999", 2147483647},
    {"-99999999999999999999999999", -2147483647 - 1},
};

class Number : public testing::TestWithParam<NumberCase> {};

TEST_P(Number, ConvertsAfterAtoiAndClamps)
{
    EXPECT_EQ(atoi32(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Atoi32, Number, testing::ValuesIn(kNumbers));

TEST(Number, StopsAtTheGivenLength)
{
    EXPECT_EQ(atoi32("12345", 3), 123);
    // Leading white space that runs to the end of the field gives 0, and the
    // bytes beyond the field are never looked at.
    EXPECT_EQ(atoi32("\n\n 99", 3), 0);
}

struct FieldCase {
    const char *name;
    const char *bytes;
    size_t length;  // 0: unreadable
};

constexpr FieldCase kFields[] = {
    {"Tag", "P6 640", 3},
    {"LoneSpace", " 640", 1},
    {"LineFeedIsOrdinary", "P6\n640 480", 7},
    {"TwelveBytesWithSpace", "12345678901 ", 12},
    {"ThirteenBytes", "123456789012 ", 0},
    {"Empty", "", 0},
    {"EndsBeforeSpace", "P6", 0},
};

class Field : public testing::TestWithParam<FieldCase> {};

TEST_P(Field, ReadsUpToAndIncludingTheSpace)
{
    const FieldCase &c = GetParam();
    FILE *file = fmemopen(const_cast<char *>(c.bytes), strlen(c.bytes), "rb");
    if (strlen(c.bytes) == 0)
        file = fopen("/dev/null", "rb");
    ASSERT_NE(file, nullptr);
    char field[12];
    size_t length = readfield(file, field);
    EXPECT_EQ(length, c.length);
    if (length > 0) {
        EXPECT_EQ(std::string(field, length), std::string(c.bytes, length));
    }
    // Never reads past the twelfth byte, so the pixel data is not touched.
    EXPECT_LE(ftell(file), 12);
    fclose(file);
}

INSTANTIATE_TEST_SUITE_P(Readfield, Field, testing::ValuesIn(kFields), CaseName());

// Loads frames written into a temporary folder through the real reader.
class Store : public testing::Test {
protected:
    void SetUp() override { dir = makedir(); }
    void TearDown() override
    {
        freestore(fs);
        removedir(dir);
    }
    FrameResult load(int32_t n, int32_t startframe)
    {
        testing::internal::CaptureStdout();
        FrameResult result = loadframe(fs, (dir + "/a").c_str(), n, startframe, refmaxval);
        log = testing::internal::GetCapturedStdout();
        return result;
    }
    std::string slot(int k) const
    {
        return std::string(reinterpret_cast<const char *>(fs.pixels) + size_t(k) * fs.framesize,
                           size_t(fs.framesize));
    }
    std::string dir;
    FrameStore fs{};
    int32_t refmaxval = -1;
    std::string log;
};

TEST_F(Store, SecondFileRowBecomesSlotRowZero)
{
    std::string bytes;
    for (char b = 0; b < 12; ++b)
        bytes += b;
    writefile(dir + "/a.1.ppm", "P6 2 2 255 " + bytes);
    setupstore(fs, 1, 1);
    ASSERT_EQ(load(1, 1), FrameStored);
    EXPECT_EQ(slot(0), bytes.substr(6, 6) + bytes.substr(0, 6));
}

TEST_F(Store, RowAddressCountsFromTheBottomOfTheSlot)
{
    setupstore(fs, 3, 1);
    ASSERT_TRUE(allocstore(fs, 4, 2));
    fs.width = 4;
    fs.height = 2;
    EXPECT_EQ(fs.framesize, 24);
    EXPECT_EQ(rowaddress(fs, 0, 1) - fs.pixels, 0);
    EXPECT_EQ(rowaddress(fs, 0, 0) - fs.pixels, 12);
    EXPECT_EQ(rowaddress(fs, 1, 1) - fs.pixels, 24);
    EXPECT_EQ(rowaddress(fs, 2, 0) - fs.pixels, 60);
}

TEST_F(Store, AllocatesAtTheFirstFrameThatOpens)
{
    writefile(dir + "/a.2.ppm", ppm(4, 2, 2));
    writefile(dir + "/a.3.ppm", ppm(4, 2, 3));
    setupstore(fs, 3, 1);
    EXPECT_EQ(load(1, 1), FrameSkipped);
    EXPECT_EQ(fs.pixels, nullptr);
    EXPECT_EQ(fs.width, -1);
    EXPECT_EQ(fs.height, -1);

    ASSERT_EQ(load(2, 1), FrameStored);
    ASSERT_NE(fs.pixels, nullptr);
    EXPECT_EQ(fs.framesize, 24);
    EXPECT_EQ(fs.width, 4);
    EXPECT_EQ(fs.height, 2);
    EXPECT_EQ(refmaxval, 255);
    unsigned char *block = fs.pixels;
    ASSERT_EQ(load(3, 1), FrameStored);
    EXPECT_EQ(fs.pixels, block) << "one block for the whole range";

    // Slot 0 belongs to the missing frame 1 and stays black.
    EXPECT_EQ(slot(0), std::string(24, '\0'));
    std::string two = pixelbytes(4, 2, 2), three = pixelbytes(4, 2, 3);
    EXPECT_EQ(slot(1), two.substr(12) + two.substr(0, 12));
    EXPECT_EQ(slot(2), three.substr(12) + three.substr(0, 12));
}

TEST_F(Store, NoFileOpensLeavesTheStoreEmpty)
{
    setupstore(fs, 2, 1);
    EXPECT_EQ(load(1, 1), FrameSkipped);
    EXPECT_EQ(load(2, 1), FrameSkipped);
    EXPECT_EQ(fs.pixels, nullptr);
    EXPECT_EQ(fs.width, -1);
    EXPECT_EQ(log, "Opening " + dir + "/a.2.ppm\nFailed\n");
}

TEST_F(Store, ShortFileLeavesTheRestOfItsSlotBlack)
{
    // Three rows promised, one and a half given: the first row lands in
    // the slot's last row, the half row in the middle one; the rest stays
    // black.
    std::string bytes = pixelbytes(2, 3, 1);
    writefile(dir + "/a.1.ppm", "P6 2 3 255 " + bytes.substr(0, 9));
    setupstore(fs, 1, 1);
    ASSERT_EQ(load(1, 1), FrameStored);
    std::string zeros(6, '\0');
    EXPECT_EQ(slot(0), zeros + bytes.substr(6, 3) + zeros.substr(3) + bytes.substr(0, 6));
}

// The slot a w x h frame's top-first bytes must fill: rows bottom-up.
std::string bottomup(const std::string &bytes, int w, int h)
{
    std::string slot;
    for (int r = h - 1; r >= 0; --r)
        slot += bytes.substr(size_t(r) * w * 3, size_t(w) * 3);
    return slot;
}

TEST_F(Store, TallFramesAreReadAcrossSeveralScatterReads)
{
    // 2500 rows: more than one call's worth of row vectors. Frame 2 ends
    // part-way through a row of the second call.
    std::string bytes = pixelbytes(3, 2500, 1);
    writefile(dir + "/a.1.ppm", "P6 3 2500 255 " + bytes);
    writefile(dir + "/a.2.ppm", "P6 3 2500 255 " + bytes.substr(0, 1500 * 9 + 4));
    setupstore(fs, 2, 1);
    ASSERT_EQ(load(1, 1), FrameStored);
    ASSERT_EQ(load(2, 1), FrameStored);
    EXPECT_EQ(slot(0), bottomup(bytes, 3, 2500));
    std::string cut = bytes.substr(0, 1500 * 9 + 4);
    cut.resize(bytes.size(), '\0');
    EXPECT_EQ(slot(1), bottomup(cut, 3, 2500));
}

TEST_F(Store, PipeNamedLikeAFrameIsReadToo)
{
    std::string path = dir + "/a.1.ppm", bytes = pixelbytes(4, 3, 1);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::thread writer([&] { writefile(path, "P6 4 3 255 " + bytes); });
    setupstore(fs, 1, 1);
    EXPECT_EQ(load(1, 1), FrameStored);
    writer.join();
    EXPECT_EQ(slot(0), bottomup(bytes, 4, 3));
}

TEST_F(Store, BlockThatCannotBeHadLeavesTheStoreUnchanged)
{
    setupstore(fs, 2147483647, 1);
    EXPECT_FALSE(allocstore(fs, 715827882, 1));  // 1.5e18 bytes
    EXPECT_EQ(fs.pixels, nullptr);
    EXPECT_EQ(fs.framesize, 0);
    setupstore(fs, 0, 1);
    EXPECT_FALSE(allocstore(fs, 2, 2)) << "a store of no slots has no block";
    EXPECT_EQ(fs.pixels, nullptr);
}

struct MeminfoCase {
    const char *name;
    const char *text;  // nullptr: no such file
    int64_t bytes;
};

const MeminfoCase kMeminfo[] = {
    {"Linux",
     "MemTotal:       24576000 kB\nMemFree:         1000000 kB\n"
     "MemAvailable:   20000000 kB\nBuffers:          100000 kB\n",
     INT64_C(20000000) * 1024},
    {"NoMemAvailableLine", "MemTotal:       24576000 kB\nMemFree:         1000000 kB\n", -1},
    {"Garbage", "MemAvailable: lots\n", -1},
    {"Empty", "", -1},
    {"Missing", nullptr, -1},
};

class Meminfo : public testing::TestWithParam<MeminfoCase> {};

TEST_P(Meminfo, ReadsAvailableBytesOrNothing)
{
    std::string dir = makedir();
    if (GetParam().text != nullptr)
        writefile(dir + "/meminfo", GetParam().text);
    EXPECT_EQ(memavailable((dir + "/meminfo").c_str()), GetParam().bytes);
    removedir(dir);
}

INSTANTIATE_TEST_SUITE_P(Memavailable, Meminfo, testing::ValuesIn(kMeminfo), CaseName());

}  // namespace
