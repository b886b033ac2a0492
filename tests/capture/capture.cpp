// Preloaded into the player by the playback tests: records the window's
// size and title, reads back every picture just before it is shown, and can
// deliver key presses to the player's keyboard handler just before its
// first display, as if they had been typed before playback began.
//
// KINOREEL_CAPTURE  folder for window.txt and frames.rgb (one picture after
//                   another, RGB, bottom row first, as glReadPixels gives)
// KINOREEL_KEYS     keys to deliver before the first display
#include <GL/glut.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int width, height;
void (*playerdisplay)();
void (*playerkeyboard)(unsigned char, int, int);
bool displayed;

template <typename F> F realfunction(const char *name)
{
    void *f = dlsym(RTLD_NEXT, name);
    if (f == nullptr) {
        fprintf(stderr, "capture: no %s\n", name);
        abort();
    }
    return reinterpret_cast<F>(f);
}

std::string capturepath(const char *file)
{
    const char *dir = getenv("KINOREEL_CAPTURE");
    return std::string(dir ? dir : ".") + "/" + file;
}

void appendfile(const char *file, const void *data, size_t size)
{
    FILE *f = fopen(capturepath(file).c_str(), "ab");
    if (f == nullptr || fwrite(data, 1, size, f) != size) {
        fprintf(stderr, "capture: cannot write %s\n", file);
        abort();
    }
    fclose(f);
}

void capturedisplay()
{
    if (!displayed) {
        displayed = true;
        const char *keys = getenv("KINOREEL_KEYS");
        for (; keys && *keys && playerkeyboard; ++keys)
            playerkeyboard(static_cast<unsigned char>(*keys), 0, 0);
    }
    playerdisplay();
}

}  // namespace

extern "C" {

void glutInitWindowSize(int w, int h)
{
    width = w;
    height = h;
    std::string line = "size " + std::to_string(w) + " " + std::to_string(h) + "\n";
    appendfile("window.txt", line.data(), line.size());
    realfunction<void (*)(int, int)>("glutInitWindowSize")(w, h);
}

int glutCreateWindow(const char *title)
{
    // With no window manager a new window lands at (-1,-1), wholly off
    // screen when it is one pixel wide or tall, and is never exposed.
    realfunction<void (*)(int, int)>("glutInitWindowPosition")(0, 0);
    std::string line = std::string("title ") + title + "\n";
    appendfile("window.txt", line.data(), line.size());
    return realfunction<int (*)(const char *)>("glutCreateWindow")(title);
}

void glutDisplayFunc(void (*f)())
{
    playerdisplay = f;
    realfunction<void (*)(void (*)())>("glutDisplayFunc")(capturedisplay);
}

void glutKeyboardFunc(void (*f)(unsigned char, int, int))
{
    playerkeyboard = f;
    realfunction<void (*)(void (*)(unsigned char, int, int))>("glutKeyboardFunc")(f);
}

void glutSwapBuffers()
{
    std::vector<unsigned char> picture(size_t(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
    appendfile("frames.rgb", picture.data(), picture.size());
    realfunction<void (*)()>("glutSwapBuffers")();
}

}  // extern "C"
