// kinoreel: preloads the frames root.N.ppm for N from startframe to
// endframe, then plays them numtimes over in a window the size of a frame.
#include "load/framestore.h"
#include "play/playback.h"

int main(int argc, char **argv)
{
    if (argc != 5) {
        logline("Syntax: kinoreel <root> <startframe> <endframe> <numtimes>");
        return 1;
    }
    const char *root = argv[1];
    int32_t startframe = atoi32(argv[2]);
    int32_t endframe = atoi32(argv[3]);
    int32_t numtimes = atoi32(argv[4]);

    // One slot per frame number, so the count must itself be an int32.
    int64_t count = int64_t(endframe) - startframe + 1;
    if (count > INT32_MAX) {
        logline("ERROR: frame range too large");
        return 1;
    }
    setupstore(store, count > 0 ? int32_t(count) : 0, numtimes);
    int32_t refmaxval = -1;

    logline("Reading %s.ppm.%d -> %s.ppm.%d", root, startframe, root, endframe);
    // A 64-bit counter, so a range ending at INT32_MAX ends.
    for (int64_t n = startframe; n <= endframe; ++n)
        readframe(store, root, int32_t(n), startframe, refmaxval);

    // Nothing to size a window by, and nothing to show in it.
    if (store.width == -1) {
        logline("ERROR: no frames to play");
        return 1;
    }
    startplayback(argv);
}
