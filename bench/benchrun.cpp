// Measures the player against the floor program, pair by pair (player,
// floor, player, floor, ...), and prints a table of medians, which it also
// writes as a Markdown report.
//   benchrun PLAYER FLOOR MKDEMO WORKDIR REPORT [PAIRS]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string workdir;

struct Sample {
    double seconds;
    double peakmib;  // peak resident memory
};

// Runs argv in workdir with its output discarded; exits on any failure.
Sample measure(const std::vector<std::string> &args)
{
    timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        if (chdir(workdir.c_str()) != 0)
            _exit(125);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(126);
    }
    int status;
    rusage usage;
    wait4(pid, &status, 0, &usage);
    clock_gettime(CLOCK_MONOTONIC, &end);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "benchrun: %s failed (status %d)\n", args[0].c_str(), status);
        exit(1);
    }
    return {double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9,
            double(usage.ru_maxrss) / 1024};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Pairs {
    std::vector<double> ptime, ftime, pmem, fmem, ratio;
};

Pairs runpairs(const std::string &player, const std::string &floorprog,
               const std::vector<std::string> &args, int pairs)
{
    Pairs p;
    for (int i = 0; i < pairs; ++i) {
        std::vector<std::string> a{player}, b{floorprog};
        a.insert(a.end(), args.begin(), args.end());
        b.insert(b.end(), args.begin(), args.end());
        Sample x = measure(a), y = measure(b);
        p.ptime.push_back(x.seconds);
        p.ftime.push_back(y.seconds);
        p.pmem.push_back(x.peakmib);
        p.fmem.push_back(y.peakmib);
        p.ratio.push_back(x.seconds / y.seconds);
    }
    return p;
}

void makeframes(const std::string &mkdemo, const std::string &root, int count, int w, int h)
{
    std::string last = workdir + "/" + root + "." + std::to_string(count) + ".ppm";
    if (std::filesystem::exists(last))
        return;
    measure({mkdemo, root, std::to_string(count), std::to_string(w), std::to_string(h)});
}

// Reads every file once, so that every run finds them in the page cache.
void warm(const std::string &root, int count)
{
    for (int n = 1; n <= count; ++n) {
        std::ifstream in(workdir + "/" + root + "." + std::to_string(n) + ".ppm", std::ios::binary);
        std::vector<char> buffer(1 << 20);
        while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0) {
        }
    }
}

std::string firstline(const char *command)
{
    std::string text;
    if (FILE *p = popen(command, "r")) {
        char line[512];
        if (fgets(line, sizeof line, p))
            text = line;
        pclose(p);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 6 || argc > 7) {
        fprintf(stderr, "usage: benchrun PLAYER FLOOR MKDEMO WORKDIR REPORT [PAIRS]\n");
        return 1;
    }
    std::string player = std::filesystem::absolute(argv[1]);
    std::string floorprog = std::filesystem::absolute(argv[2]);
    std::string mkdemo = std::filesystem::absolute(argv[3]);
    std::filesystem::create_directories(argv[4]);
    workdir = std::filesystem::absolute(argv[4]);
    int pairs = argc == 7 ? atoi(argv[6]) : 7;

    const int loadw = 1280, loadh = 720, drawn = 30, draww = 640, drawh = 480, passes = 20;
    makeframes(mkdemo, "load", 200, loadw, loadh);
    makeframes(mkdemo, "draw", drawn, draww, drawh);
    warm("load", 200);
    warm("draw", drawn);

    std::ostringstream out;
    char line[256];
    auto emit = [&](const char *format, auto... values) {
        snprintf(line, sizeof line, format, values...);
        out << line;
        fputs(line, stdout);
        fflush(stdout);
    };

    Pairs load = runpairs(player, floorprog, {"load", "1", "200", "0"}, pairs);
    Pairs draw = runpairs(player, floorprog, {"draw", "1", std::to_string(drawn), std::to_string(passes)}, pairs);
    double raw = 200.0 * loadw * loadh * 3 / (1 << 20);

    emit("| measure | player | floor | player / floor | target |\n|---|---|---|---|---|\n");
    emit("| load: 200 frames of %dx%d (%.0f MiB), 0 passes, wall s | %.3f | %.3f | %.3f | <= 1.10 |\n",
         loadw, loadh, raw, median(load.ptime), median(load.ftime), median(load.ratio));
    emit("| draw: %d frames of %dx%d, %d passes, wall s | %.3f | %.3f | %.3f | <= 1.03 |\n", drawn,
         draww, drawh, passes, median(draw.ptime), median(draw.ftime), median(draw.ratio));
    double pm = median(load.pmem), fm = median(load.fmem);
    emit("| load: peak resident MiB | %.1f | %.1f | %+.1f MiB | <= +4 MiB |\n", pm, fm, pm - fm);
    emit("| load: peak over raw pixel bytes, MiB | %.1f | %.1f | | |\n", pm - raw, fm - raw);
    emit("| draw: peak resident MiB | %.1f | %.1f | %+.1f MiB | |\n", median(draw.pmem),
         median(draw.fmem), median(draw.pmem) - median(draw.fmem));
    emit("\nMedians of %d pairs (player then floor, alternating); ratios are medians of the "
         "per-pair ratios.\n\n", pairs);

    emit("| frames | player load s | floor load s | player ms/frame | player peak MiB | floor peak MiB | raw MiB |\n");
    emit("|---|---|---|---|---|---|---|\n");
    for (int count : {50, 100, 200}) {
        Pairs s = runpairs(player, floorprog, {"load", "1", std::to_string(count), "0"}, 3);
        emit("| %d | %.3f | %.3f | %.2f | %.1f | %.1f | %.1f |\n", count, median(s.ptime),
             median(s.ftime), 1000 * median(s.ptime) / count, median(s.pmem), median(s.fmem),
             count * double(loadw) * loadh * 3 / (1 << 20));
    }

    utsname u;
    uname(&u);
    time_t now = time(nullptr);
    char date[64];
    strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", gmtime(&now));
    std::ofstream report(argv[5]);
    report << "# Benchmark results\n\n"
           << "Date: " << date << "  \n"
           << "Machine: " << firstline("grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-") << ", "
           << sysconf(_SC_NPROCESSORS_ONLN) << " cores, " << u.sysname << " " << u.release
           << "  \n"
           << "GL: Mesa llvmpipe under Xvfb (no GPU)  \n"
           << "Command: `bash bench/run`\n\n"
           << "The player's log lines go to /dev/null; the frame files are in the page cache.\n\n"
           << out.str();
    return 0;
}
