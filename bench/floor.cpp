// The floor of the player's job, for the benchmark: the least work that
// loading and showing the same frames needs on this machine. It reads the
// same files into one zeroed block with one read of the pixel bytes per
// file (rows as the file has them, no reordering, no per-row calls, no log
// lines), opens the same double-buffered window and draws the same passes
// with bare glDrawPixels and glutSwapBuffers.
//   floor ROOT FIRST LAST PASSES [clear]
// With "clear" it also clears and flushes before each swap, as the player
// does, to tell what those two calls cost.
#include <GL/glut.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static unsigned char *block;
static int width = -1, height = -1, numframes, passes;
static bool clearing;
static size_t framesize;

static void display()
{
    for (int p = 0; p < passes; ++p)
        for (int i = 0; i < numframes; ++i) {
            if (clearing)
                glClear(GL_COLOR_BUFFER_BIT);
            glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, block + size_t(i) * framesize);
            if (clearing)
                glFlush();
            glutSwapBuffers();
        }
    exit(0);
}

// Reads one frame file into slot k; the header is taken from its first bytes.
static void readfile(const char *root, int n, int k)
{
    std::string name = std::string(root) + "." + std::to_string(n) + ".ppm";
    int fd = open(name.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    char head[64];
    ssize_t got = pread(fd, head, sizeof head - 1, 0);
    head[got > 0 ? got : 0] = '\0';
    int w, h, spaces = 0;
    size_t start = 0;
    for (; start < size_t(got > 0 ? got : 0) && spaces < 4; ++start)
        spaces += head[start] == ' ';
    if (spaces < 4 || sscanf(head, "%*s %d %d", &w, &h) != 2) {
        close(fd);
        return;
    }
    if (block == nullptr) {
        width = w, height = h;
        framesize = size_t(w) * h * 3;
        block = static_cast<unsigned char *>(calloc(size_t(numframes), framesize));
    }
    unsigned char *slot = block + size_t(k) * framesize;
    for (size_t done = 0; done < framesize;) {
        ssize_t r = pread(fd, slot + done, framesize - done, off_t(start + done));
        if (r <= 0)
            break;
        done += size_t(r);
    }
    close(fd);
}

int main(int argc, char **argv)
{
    if (argc != 5 && !(argc == 6 && strcmp(argv[5], "clear") == 0)) {
        fprintf(stderr, "usage: floor ROOT FIRST LAST PASSES [clear]\n");
        return 1;
    }
    clearing = argc == 6;
    argc = 5;
    int first = atoi(argv[2]), last = atoi(argv[3]);
    passes = atoi(argv[4]);
    numframes = last - first + 1;
    for (int n = first; n <= last; ++n)
        readfile(argv[1], n, n - first);
    if (block == nullptr)
        return 1;

    glutInitWindowSize(width, height);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
    glutInit(&argc, argv);
    glutCreateWindow(argv[1]);
    glutDisplayFunc(display);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2i(0, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glutMainLoop();
}
