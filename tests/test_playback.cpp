// The pictures that really reach the window: the player runs under the X
// server the test command started, with the capture library preloaded,
// which reads back every picture just before its buffer swap.
#include <gtest/gtest.h>

#include <climits>

#include "harness.h"

namespace {

constexpr int kBlack = INT_MIN;  // in shown: a slot whose file was missing

struct Frame {
    int n;
    int w, h;
};

struct PlaybackCase {
    const char *name;
    std::vector<Frame> frames;  // written as root.n.ppm, pixels seeded by n
    std::vector<std::string> args;
    const char *keys;        // delivered just before the first display
    std::vector<int> shown;  // frame numbers, in the order they must be shown
};

const PlaybackCase kCases[] = {
    {"ThreeFramesTwoPasses",
     {{1, 4, 3}, {2, 4, 3}, {3, 4, 3}},
     {"a", "1", "3", "2"},
     "",
     {1, 2, 3, 1, 2, 3}},
    {"TypicalSize", {{1, 320, 240}, {2, 320, 240}}, {"anim", "1", "2", "1"}, "", {1, 2}},
    {"TitleIsTheRoot", {{0, 8, 2}}, {"my clip", "0", "0", "1"}, "", {0}},
    {"Width1", {{1, 1, 3}, {2, 1, 3}}, {"a", "1", "2", "1"}, "", {1, 2}},
    {"Width5", {{1, 5, 3}, {2, 5, 3}}, {"a", "1", "2", "1"}, "", {1, 2}},
    {"Width33", {{1, 33, 7}, {2, 33, 7}}, {"a", "1", "2", "2"}, "", {1, 2, 1, 2}},
    {"NumtimesZero", {{1, 4, 3}}, {"a", "1", "1", "0"}, "", {}},
    {"NumtimesNegative", {{1, 4, 3}}, {"a", "1", "1", "-3"}, "", {}},
    {"MissingFrameShowsBlack", {{1, 4, 3}, {3, 4, 3}}, {"a", "1", "3", "1"}, "", {1, kBlack, 3}},
    {"MissingFirstFrameKeepsSlots", {{2, 6, 2}}, {"a", "1", "2", "1"}, "", {kBlack, 2}},
    {"XBeforePlaybackEnds", {{1, 4, 3}, {2, 4, 3}}, {"a", "1", "2", "1"}, "x", {}},
    {"OtherKeysIgnored", {{1, 4, 3}, {2, 4, 3}}, {"a", "1", "2", "1"}, "X q", {1, 2}},
};

// Picture n as the window must show it, top row first.
std::string expectedpicture(int n, int w, int h)
{
    return n == kBlack ? std::string(size_t(w) * h * 3, '\0') : pixelbytes(w, h, n);
}

void PrintTo(const PlaybackCase &c, std::ostream *os)
{
    *os << c.name;
}

class Playback : public testing::TestWithParam<PlaybackCase> {};

TEST_P(Playback, ShowsEverySlotUprightInOrder)
{
    const PlaybackCase &c = GetParam();
    std::string dir = makedir();
    const std::string &root = c.args[0];
    for (const Frame &f : c.frames)
        writefile(dir + "/" + root + "." + std::to_string(f.n) + ".ppm", ppm(f.w, f.h, f.n));
    int w = c.frames[0].w, h = c.frames[0].h;

    PlayerRun run = runcaptured(dir, c.args, c.keys);
    ASSERT_EQ(run.status, 0) << "stderr: " << run.err;
    EXPECT_EQ(readfile(dir + "/window.txt"),
              "size " + std::to_string(w) + " " + std::to_string(h) + "\ntitle " + root + "\n");

    std::vector<std::string> pictures = capturedpictures(dir, w, h);
    ASSERT_EQ(pictures.size(), c.shown.size()) << "pictures shown";
    for (size_t i = 0; i < c.shown.size(); ++i)
        EXPECT_EQ(pictures[i], expectedpicture(c.shown[i], w, h)) << "picture " << i;
    removedir(dir);
}

INSTANTIATE_TEST_SUITE_P(Player, Playback, testing::ValuesIn(kCases), CaseName());

}  // namespace
