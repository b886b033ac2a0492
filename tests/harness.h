// Helpers for the tests that run the real player on frames they write.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Names each case of a parameterized table after its row's name field.
struct CaseName {
    template <typename Case> std::string operator()(const testing::TestParamInfo<Case> &info) const
    {
        return info.param.name;
    }
};

// A new empty folder under the system's temporary folder.
std::string makedir();
void removedir(const std::string &dir);

void writefile(const std::string &path, const std::string &content);

// Content for makeentry that makes a directory, or a symbolic link to the
// rest of the string, instead of a file.
extern const std::string kDir;
extern const std::string kLink;
void makeentry(const std::string &path, const std::string &content);
std::string readfile(const std::string &path);

// The pixel bytes of a w x h test picture, top row first; seed makes the
// pictures of one sequence differ.
std::string pixelbytes(int w, int h, int seed);
// A frame file: "P6 w h 255 " and the pixel bytes.
std::string ppm(int w, int h, int seed);

struct PlayerRun {
    std::string out;  // everything written on standard output
    std::string err;  // everything written on standard error
    int status;       // exit status, or 128 + signal
};

// Runs program in dir with args (program name not included), the extra
// environment variables env ("NAME=value") and input on its standard
// input; kills it after 30 s.
PlayerRun runprogram(const char *program, const std::string &dir,
                     const std::vector<std::string> &args,
                     const std::vector<std::string> &env = {}, const std::string &input = "");

// The same for the player.
PlayerRun runplayer(const std::string &dir, const std::vector<std::string> &args,
                    const std::vector<std::string> &env = {});

// Runs the player in dir with the capture library preloaded: the window's
// size and title go to dir/window.txt, every picture shown to
// dir/frames.rgb; keys are delivered just before the first display.
PlayerRun runcaptured(const std::string &dir, const std::vector<std::string> &args,
                      const std::string &keys = "");

// The pictures captured in dir for a w x h window, each turned top row
// first, as a frame file has them.
std::vector<std::string> capturedpictures(const std::string &dir, int w, int h);

// The names in dir, sorted.
std::vector<std::string> listdir(const std::string &dir);
