// kinoreel-prep: turns netpbm pictures and picture streams into frame files
// the player reads, ROOT.N.ppm with the single-space header.
//   kinoreel-prep [-o ROOT] [-s FIRST] [-f] FILE...
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pnm.h"

namespace {

const char *const kUsage = "usage: kinoreel-prep [-o ROOT] [-s FIRST] [-f] FILE...";

[[noreturn]] void fail(const std::string &message)
{
    fprintf(stderr, "kinoreel-prep: %s\n", message.c_str());
    exit(1);
}

// Writes the frame under a temporary name beside it, then moves it into
// place, so that no reader ever sees half a frame and an error leaves none.
void writeframe(const std::string &name, const Picture &p, bool force)
{
    std::string temp = name + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        fail("cannot write " + name + ": " + strerror(errno));
    FILE *file = fdopen(fd, "wb");
    std::string header = "P6 " + std::to_string(p.width) + " " + std::to_string(p.height) + " 255 ";
    bool ok = file != nullptr && fwrite(header.data(), 1, header.size(), file) == header.size() &&
              fwrite(p.rgb.data(), 1, p.rgb.size(), file) == p.rgb.size();
    if (file == nullptr ? close(fd) != 0 : fclose(file) != 0)
        ok = false;
    if (!ok) {
        int saved = errno;
        unlink(temp.c_str());
        fail("cannot write " + name + ": " + strerror(saved));
    }
    // Without -f the frame goes in only where no file stands: link() will
    // not replace one, unlike rename(), and leaves the temporary name to
    // remove.
    int moved = force ? rename(temp.c_str(), name.c_str()) : link(temp.c_str(), name.c_str());
    int saved = errno;
    if (!force || moved != 0)
        unlink(temp.c_str());
    if (moved != 0 && saved == EEXIST)
        fail(name + " exists (-f overwrites)");
    if (moved != 0)
        fail("cannot write " + name + ": " + strerror(saved));
}

// The root as the shell takes it back: quoted unless plainly safe.
std::string shellword(const std::string &word)
{
    if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "0123456789-_./+,:@%") == std::string::npos)
        return word;
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

int main(int argc, char **argv)
{
    std::string root = "frame";
    long first = 1;
    bool force = false;
    int opt;
    opterr = 0;  // the usage line says it all
    while ((opt = getopt(argc, argv, "o:s:f")) != -1) {
        if (opt == 'o') {
            root = optarg;
        } else if (opt == 's') {
            char *end;
            errno = 0;
            first = strtol(optarg, &end, 10);
            if (*optarg == '\0' || *end != '\0' || errno != 0 || first < INT_MIN || first > INT_MAX)
                fail(std::string("-s ") + optarg + ": not a frame number");
        } else if (opt == 'f') {
            force = true;
        } else {
            fprintf(stderr, "%s\n", kUsage);
            return 1;
        }
    }
    if (optind == argc || root.empty()) {
        fprintf(stderr, "%s\n", kUsage);
        return 1;
    }

    long next = first;
    int width = 0, height = 0;
    std::string sizefrom;
    for (int i = optind; i < argc; ++i) {
        bool isstdin = strcmp(argv[i], "-") == 0;
        std::string input = isstdin ? "standard input" : argv[i];
        FILE *file = isstdin ? stdin : fopen(argv[i], "rb");
        if (file == nullptr)
            fail(input + ": " + strerror(errno));
        Picture picture;
        std::string error;
        int position = 0;
        PnmResult result;
        while ((result = readpicture(file, picture, error)) == PnmPicture) {
            ++position;
            std::string where = input + ": picture " + std::to_string(position);
            if (width == 0) {
                width = picture.width, height = picture.height;
                sizefrom = where;
            } else if (picture.width != width || picture.height != height) {
                fail(where + " is " + std::to_string(picture.width) + "x" +
                     std::to_string(picture.height) + ", but " + sizefrom + " is " +
                     std::to_string(width) + "x" + std::to_string(height) +
                     "; the frames of a sequence share one size");
            }
            if (next > INT_MAX)
                fail(where + ": frame number beyond 2147483647");
            writeframe(root + "." + std::to_string(next) + ".ppm", picture, force);
            ++next;
        }
        if (result == PnmError)
            fail(input + ": picture " + std::to_string(position + 1) + ": " + error);
        if (position == 0)
            fail(input + ": no picture");
        if (!isstdin)
            fclose(file);
    }
    printf("kinoreel %s %ld %ld 1\n", shellword(root).c_str(), first, next - 1);
    return 0;
}
