// The player, run on frames written here, against its whole standard output
// and its exit status.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

struct File {
    std::string name;
    std::string content;
};

struct TranscriptCase {
    const char *name;
    std::vector<File> files;
    std::vector<std::string> args;
    std::string out;
    int status;
};

const std::string kUsage = "Syntax: kinoreel <root> <startframe> <endframe> <numtimes>\n";
const std::string kPixels = pixelbytes(2, 2, 1);
const std::string kLongRoot(200, 'r');

const TranscriptCase kCases[] = {
    {"NoArguments", {}, {}, kUsage, 1},
    {"ThreeArguments", {{"a.1.ppm", ppm(2, 2, 1)}}, {"a", "1", "1"}, kUsage, 1},
    {"FiveArguments", {{"a.1.ppm", ppm(2, 2, 1)}}, {"a", "1", "1", "1", "1"}, kUsage, 1},
    {"ThreeFrames",
     {{"a.1.ppm", ppm(2, 2, 1)}, {"a.2.ppm", ppm(2, 2, 2)}, {"a.3.ppm", ppm(2, 2, 3)}},
     {"a", "1", "3", "2"},
     "Reading a.ppm.1 -> a.ppm.3\n"
     "Opening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n"
     "Opening a.2.ppm\nSuccess!\nRead frame 2: (2,2,255)\n"
     "Opening a.3.ppm\nSuccess!\nRead frame 3: (2,2,255)\n",
     0},
    {"OneFrame",
     {{"a.7.ppm", ppm(3, 2, 1)}},
     {"a", "7", "7", "1"},
     "Reading a.ppm.7 -> a.ppm.7\nOpening a.7.ppm\nSuccess!\nRead frame 7: (3,2,255)\n",
     0},
    {"MissingMiddleFrame",
     {{"a.1.ppm", ppm(2, 2, 1)}, {"a.3.ppm", ppm(2, 2, 3)}},
     {"a", "1", "3", "1"},
     "Reading a.ppm.1 -> a.ppm.3\n"
     "Opening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n"
     "Opening a.2.ppm\nFailed\n"
     "Opening a.3.ppm\nSuccess!\nRead frame 3: (2,2,255)\n",
     0},
    {"MissingFirstFrame",
     {{"a.2.ppm", ppm(2, 2, 2)}},
     {"a", "1", "2", "1"},
     "Reading a.ppm.1 -> a.ppm.2\n"
     "Opening a.1.ppm\nFailed\n"
     "Opening a.2.ppm\nSuccess!\nRead frame 2: (2,2,255)\n",
     0},
    {"NegativeFrameNumbers",
     {{"a.-2.ppm", ppm(2, 2, 1)}, {"a.-1.ppm", ppm(2, 2, 2)}, {"a.0.ppm", ppm(2, 2, 3)}},
     {"a", "-2", "0", "1"},
     "Reading a.ppm.-2 -> a.ppm.0\n"
     "Opening a.-2.ppm\nSuccess!\nRead frame -2: (2,2,255)\n"
     "Opening a.-1.ppm\nSuccess!\nRead frame -1: (2,2,255)\n"
     "Opening a.0.ppm\nSuccess!\nRead frame 0: (2,2,255)\n",
     0},
    {"AtoiRulesOnCommandLine",
     {{"a.1.ppm", ppm(2, 2, 1)}, {"a.2.ppm", ppm(2, 2, 2)}},
     {"a", " \t+1x", "2.9", "1 pass"},
     "Reading a.ppm.1 -> a.ppm.2\n"
     "Opening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n"
     "Opening a.2.ppm\nSuccess!\nRead frame 2: (2,2,255)\n",
     0},
    {"StartframeWithoutDigitsIsZero",
     {{"a.0.ppm", ppm(2, 2, 1)}},
     {"a", "abc", "0", "1"},
     "Reading a.ppm.0 -> a.ppm.0\nOpening a.0.ppm\nSuccess!\nRead frame 0: (2,2,255)\n",
     0},
    {"StartAboveEnd",
     {{"a.3.ppm", ppm(2, 2, 1)}},
     {"a", "5", "3", "1"},
     "Reading a.ppm.5 -> a.ppm.3\nERROR: no frames to play\n",
     1},
    {"NoFileOpens",
     {},
     {"a", "1", "2", "1"},
     "Reading a.ppm.1 -> a.ppm.2\nOpening a.1.ppm\nFailed\nOpening a.2.ppm\nFailed\n"
     "ERROR: no frames to play\n",
     1},
    {"EveryFileSkipped",
     {{"a.1.ppm", ""}, {"a.2.ppm", "P6 0 2 255 "}},
     {"a", "1", "2", "1"},
     "Reading a.ppm.1 -> a.ppm.2\n"
     "Opening a.1.ppm\nSuccess!\nERROR: frame 1: unreadable header\n"
     "Opening a.2.ppm\nSuccess!\nERROR: frame 2: bad size (0,2)\n"
     "ERROR: no frames to play\n",
     1},
    {"FormatTagNotExamined",
     {{"a.1.ppm", "XY 2 2 255 " + kPixels}},
     {"a", "1", "1", "1"},
     "Reading a.ppm.1 -> a.ppm.1\nOpening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n",
     0},
    {"MaxvalAbove255",
     {{"a.1.ppm", "P6 2 2 1000 " + kPixels}},
     {"a", "1", "1", "1"},
     "Reading a.ppm.1 -> a.ppm.1\nOpening a.1.ppm\nSuccess!\nRead frame 1: (2,2,1000)\n",
     0},
    {"LineFeedInsideFirstField",
     {{"a.1.ppm", "P6\n640 2 2 255 " + kPixels}},
     {"a", "1", "1", "1"},
     "Reading a.ppm.1 -> a.ppm.1\nOpening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n",
     0},
    {"SignAndLeadingWhiteSpaceInNumbers",
     {{"a.1.ppm", "P6 +2 \n\t2 0255x " + kPixels}},
     {"a", "1", "1", "1"},
     "Reading a.ppm.1 -> a.ppm.1\nOpening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n",
     0},
    {"MismatchInHeight",
     {{"a.1.ppm", ppm(2, 2, 1)}, {"a.2.ppm", ppm(2, 3, 2)}, {"a.3.ppm", ppm(2, 2, 3)}},
     {"a", "1", "3", "1"},
     "Reading a.ppm.1 -> a.ppm.3\n"
     "Opening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n"
     "Opening a.2.ppm\nSuccess!\n"
     "ERROR: frame 2 different.  Spec was (2,2,255), now (2,3,255)\n",
     1},
    {"MismatchInMaxval",
     {{"a.1.ppm", ppm(2, 2, 1)}, {"a.2.ppm", "P6 2 2 254 " + kPixels}},
     {"a", "1", "2", "1"},
     "Reading a.ppm.1 -> a.ppm.2\n"
     "Opening a.1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n"
     "Opening a.2.ppm\nSuccess!\n"
     "ERROR: frame 2 different.  Spec was (2,2,255), now (2,2,254)\n",
     1},
    {"MismatchAfterMissingFirstFrame",
     {{"a.2.ppm", ppm(2, 2, 1)}, {"a.3.ppm", ppm(3, 2, 2)}},
     {"a", "1", "3", "1"},
     "Reading a.ppm.1 -> a.ppm.3\n"
     "Opening a.1.ppm\nFailed\n"
     "Opening a.2.ppm\nSuccess!\nRead frame 2: (2,2,255)\n"
     "Opening a.3.ppm\nSuccess!\n"
     "ERROR: frame 3 different.  Spec was (2,2,255), now (3,2,255)\n",
     1},
    {"HeaderNumberBeyond32Bits",
     {{"a.1.ppm", "P6 2 2 99999999999 " + kPixels}},
     {"a", "1", "1", "1"},
     "Reading a.ppm.1 -> a.ppm.1\nOpening a.1.ppm\nSuccess!\nRead frame 1: (2,2,2147483647)\n",
     0},
    {"CommandLineNumbersBeyond32Bits",
     {{"a.-2147483648.ppm", ppm(2, 2, 1)}, {"a.-2147483647.ppm", ppm(2, 2, 2)}},
     {"a", "-99999999999", "-2147483647", "-99999999999"},
     "Reading a.ppm.-2147483648 -> a.ppm.-2147483647\n"
     "Opening a.-2147483648.ppm\nSuccess!\nRead frame -2147483648: (2,2,255)\n"
     "Opening a.-2147483647.ppm\nSuccess!\nRead frame -2147483647: (2,2,255)\n",
     0},
    {"RangeEndingAtInt32Max",
     {{"a.2147483647.ppm", ppm(2, 2, 1)}},
     {"a", "2147483646", "99999999999", "1"},
     "Reading a.ppm.2147483646 -> a.ppm.2147483647\n"
     "Opening a.2147483646.ppm\nFailed\n"
     "Opening a.2147483647.ppm\nSuccess!\nRead frame 2147483647: (2,2,255)\n",
     0},
    {"RangeTooLarge", {}, {"a", "0", "2147483647", "1"}, "ERROR: frame range too large\n", 1},
    {"WidestRangeTooLarge",
     {},
     {"a", "-2147483648", "2147483647", "1"},
     "ERROR: frame range too large\n",
     1},
    {"LongFileName",
     {{kLongRoot + ".1.ppm", ppm(2, 2, 1)}},
     {kLongRoot, "1", "1", "1"},
     "Reading " + kLongRoot + ".ppm.1 -> " + kLongRoot + ".ppm.1\nOpening " + kLongRoot +
         ".1.ppm\nSuccess!\nRead frame 1: (2,2,255)\n",
     0},
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const TranscriptCase &c, std::ostream *os)
{
    *os << c.name;
}

class Transcript : public testing::TestWithParam<TranscriptCase> {};

TEST_P(Transcript, WholeOutputAndStatus)
{
    const TranscriptCase &c = GetParam();
    std::string dir = makedir();
    for (const File &f : c.files)
        makeentry(dir + "/" + f.name, f.content);
    PlayerRun run = runplayer(dir, c.args);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.status, c.status) << "stderr: " << run.err;
    removedir(dir);
}

INSTANTIATE_TEST_SUITE_P(Player, Transcript, testing::ValuesIn(kCases), CaseName());

}  // namespace
