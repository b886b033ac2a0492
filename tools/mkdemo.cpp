// Writes a short demo animation as frames the player reads:
//   mkdemo ROOT COUNT WIDTH HEIGHT  ->  ROOT.1.ppm ... ROOT.COUNT.ppm
// A disc circles over a drifting colour gradient, with a bar along the
// bottom that fills as the sequence runs, so every frame differs visibly.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: mkdemo ROOT COUNT WIDTH HEIGHT\n");
        return 1;
    }
    const char *root = argv[1];
    int count = atoi(argv[2]), width = atoi(argv[3]), height = atoi(argv[4]);
    if (count < 1 || width < 8 || height < 8 || width > 4096 || height > 4096) {
        fprintf(stderr, "mkdemo: COUNT must be positive, WIDTH and HEIGHT 8 to 4096\n");
        return 1;
    }
    const double pi = 3.14159265358979;
    std::vector<unsigned char> row(size_t(width) * 3);
    for (int frame = 1; frame <= count; ++frame) {
        double t = double(frame - 1) / count;
        double cx = width / 2.0 + width / 3.0 * cos(2 * pi * t);
        double cy = height / 2.0 + height / 3.0 * sin(2 * pi * t);
        double radius = height / 8.0;
        std::string name = std::string(root) + "." + std::to_string(frame) + ".ppm";
        FILE *file = fopen(name.c_str(), "wb");
        if (file == nullptr) {
            perror(name.c_str());
            return 1;
        }
        fprintf(file, "P6 %d %d 255 ", width, height);
        for (int y = 0; y < height; ++y) {  // top row first
            for (int x = 0; x < width; ++x) {
                unsigned char *p = &row[size_t(x) * 3];
                double dx = x - cx, dy = y - cy;
                bool bar = y >= height - height / 16 && x < width * frame / count;
                if (dx * dx + dy * dy < radius * radius || bar) {
                    p[0] = 255, p[1] = 240, p[2] = 64;
                } else {
                    p[0] = (unsigned char)(255 * x / width);
                    p[1] = (unsigned char)(int(255 * (y / double(height) + t)) % 256);
                    p[2] = (unsigned char)(128 + 127 * sin(2 * pi * (t + x / double(width))));
                }
            }
            fwrite(row.data(), 1, row.size(), file);
        }
        if (fclose(file) != 0) {
            perror(name.c_str());
            return 1;
        }
    }
    printf("Wrote %s.1.ppm to %s.%d.ppm (%d x %d)\n", root, root, count, width, height);
    return 0;
}
