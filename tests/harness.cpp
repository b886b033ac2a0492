#include "harness.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

// The test process's own settings in a sanitizer build.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}

std::string makedir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kinoreel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        perror("mkdtemp");
        abort();
    }
    return pattern;
}

void removedir(const std::string &dir)
{
    std::filesystem::remove_all(dir);
}

void writefile(const std::string &path, const std::string &content)
{
    std::ofstream(path, std::ios::binary) << content;
}

const std::string kDir = "\x01" "dir";
const std::string kLink = "\x01" "link:";

void makeentry(const std::string &path, const std::string &content)
{
    if (content == kDir)
        std::filesystem::create_directory(path);
    else if (content.rfind(kLink, 0) == 0)
        std::filesystem::create_symlink(content.substr(kLink.size()), path);
    else
        writefile(path, content);
}

std::string readfile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string pixelbytes(int w, int h, int seed)
{
    std::string bytes(size_t(w) * h * 3, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + size_t(seed) * 53 + 1) & 0xff);
    return bytes;
}

std::string ppm(int w, int h, int seed)
{
    return "P6 " + std::to_string(w) + " " + std::to_string(h) + " 255 " + pixelbytes(w, h, seed);
}

static std::string readall(int fd)
{
    std::string text;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, size_t(n));
    return text;
}

PlayerRun runplayer(const std::string &dir, const std::vector<std::string> &args,
                    const std::vector<std::string> &env)
{
    return runprogram(KINOREEL_BIN, dir, args, env);
}

PlayerRun runcaptured(const std::string &dir, const std::vector<std::string> &args,
                      const std::string &keys)
{
    return runplayer(dir, args,
                     {std::string("LD_PRELOAD=") + CAPTURE_LIB, "KINOREEL_CAPTURE=" + dir,
                      "KINOREEL_KEYS=" + keys});
}

std::vector<std::string> capturedpictures(const std::string &dir, int w, int h)
{
    std::string frames = readfile(dir + "/frames.rgb");
    size_t rowbytes = size_t(w) * 3, size = rowbytes * h;
    std::vector<std::string> pictures;
    for (size_t start = 0; start < frames.size(); start += size) {
        std::string picture;
        // glReadPixels gives the bottom row first.
        for (int r = h - 1; r >= 0; --r)
            picture += frames.substr(start + r * rowbytes, rowbytes);
        pictures.push_back(picture);
    }
    return pictures;
}

std::vector<std::string> listdir(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

PlayerRun runprogram(const char *program, const std::string &dir,
                     const std::vector<std::string> &args, const std::vector<std::string> &env,
                     const std::string &input)
{
    // Kept outside dir, so that the program sees only its own files there.
    std::string errpath = dir + ".stderr", inpath = dir + ".stdin";
    writefile(inpath, input);
    int out[2];
    if (pipe(out) != 0) {
        perror("pipe");
        abort();
    }
    pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        dup2(out[1], 1);
        int err = open(errpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, 2);
        int in = open(inpath.c_str(), O_RDONLY);
        dup2(in, 0);
        if (chdir(dir.c_str()) != 0)
            _exit(125);
        // For a sanitizer build of the player (ignored otherwise): blocks too
        // large for memory come back null as in a plain build, and the
        // capture library may be preloaded ahead of the runtime. No leak
        // check: the GL driver leaks and is unloaded before the check, so
        // no suppression can name it; the memcheck test covers the player.
        setenv("ASAN_OPTIONS", "allocator_may_return_null=1:detect_leaks=0:verify_asan_link_order=0", 1);
        for (const std::string &var : env)
            putenv(strdup(var.c_str()));
        std::vector<char *> argv{const_cast<char *>(program)};
        for (const std::string &arg : args)
            argv.push_back(strdup(arg.c_str()));
        argv.push_back(nullptr);
        alarm(30);  // survives exec: a player that hangs dies of SIGALRM
        execv(program, argv.data());
        _exit(126);
    }
    close(out[1]);
    PlayerRun run;
    run.out = readall(out[0]);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.err = readfile(errpath);
    unlink(errpath.c_str());
    unlink(inpath.c_str());
    return run;
}
