// The playback window.
#pragma once

// Opens a window the size of one stored frame, titled argv[1], and plays
// the store's slots numtimes over; ends the process, never returns.
[[noreturn]] void startplayback(char **argv);
