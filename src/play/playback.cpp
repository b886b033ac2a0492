#include "playback.h"

#include <GL/glut.h>

#include <cstdlib>

#include "load/framestore.h"

// Plays every pass in one go and ends the process: no other event is
// handled until the last pass has been drawn.
static void display()
{
    int32_t i = 0;
    while (store.timesplayed < store.numtimes) {
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawPixels(store.width, store.height, GL_RGB, GL_UNSIGNED_BYTE,
                     store.pixels + size_t(i) * size_t(store.framesize));
        glFlush();
        glutSwapBuffers();
        i = (i + 1) % store.numframes;
        if (i == 0)
            ++store.timesplayed;
    }
    exit(0);
}

static void keyboard(unsigned char key, int, int)
{
    if (key != 'x')
        return;
    freestore(store);
    exit(0);
}

void startplayback(char **argv)
{
    glutInitWindowSize(store.width, store.height);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
    int argc = 5;
    glutInit(&argc, argv);
    glutCreateWindow(argv[1]);
    glutDisplayFunc(display);
    glutKeyboardFunc(keyboard);

    glClearColor(1.0, 1.0, 1.0, 0.0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, store.width, 0, store.height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2i(0, 0);
    // Slot rows are packed at width*3 bytes, which the default alignment of
    // 4 would misread for most widths.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    glutMainLoop();
    exit(0);  // glutMainLoop does not return; this only satisfies [[noreturn]]
}
