// pokoeye: looks at the X screen the way a player would, for the end-to-end scenarios.
//
//   pokoeye [--at X Y] [--size W H] [--ref FILE.ppm] [--watch MS EVERY_MS [--until TEXT]]
//           QUERY...
//
// Grabs the W×H area at (X,Y) of the root window once (or every EVERY_MS for MS
// milliseconds with --watch) and answers every QUERY on that one grab, printing one line:
// with --watch each line starts with the wall-clock time of the grab in seconds.
// Coordinates of queries are relative to (X,Y). With --until the watch stops at the first
// grab whose answers read TEXT (exit status 1 if none did).
//
//   frac X Y W H RRGGBB TOL   share (0..1) of pixels within TOL per channel of the colour
//   diff X Y W H              pixels differing (by more than 24 in a channel) from --ref
//   diffout X Y W H           the same, but over the whole grab outside the rectangle
//                             (repeatable: "diffout" with several rectangles given as
//                             X,Y,W,H,X,Y,W,H... in one argument)
//   rgb X Y                   the colour of one pixel as RRGGBB
//   numeral X Y W H           which of the countdown numerals 1, 2, 3 the white figure in
//                             the rectangle is ("-" when there is none, "?" when unclear)
//   save FILE.ppm             the grab as a binary PPM
//
// A grab area outside the screen is clipped; an unreadable screen exits with status 2.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // 3 bytes a pixel
    const unsigned char* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

Image grab(Display* display, int x, int y, int w, int h) {
    const int screenW = DisplayWidth(display, DefaultScreen(display));
    const int screenH = DisplayHeight(display, DefaultScreen(display));
    Image image;
    image.width = w;
    image.height = h;
    image.rgb.assign(size_t(w) * h * 3, 0);
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, screenW), y1 = std::min(y + h, screenH);
    if (x1 <= x0 || y1 <= y0)
        return image;
    XImage* xi = XGetImage(display, DefaultRootWindow(display), x0, y0, unsigned(x1 - x0),
                           unsigned(y1 - y0), AllPlanes, ZPixmap);
    if (!xi) {
        std::fprintf(stderr, "pokoeye: cannot read the screen\n");
        std::exit(2);
    }
    for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) {
            const unsigned long p = XGetPixel(xi, xx - x0, yy - y0);
            unsigned char* out = &image.rgb[(size_t(yy - y) * w + (xx - x)) * 3];
            out[0] = (p >> 16) & 0xff;
            out[1] = (p >> 8) & 0xff;
            out[2] = p & 0xff;
        }
    XDestroyImage(xi);
    return image;
}

bool readPpm(const std::string& path, Image& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> image.width >> image.height >> max;
    if (!in || magic != "P6" || max != 255)
        return false;
    in.get();
    image.rgb.resize(size_t(image.width) * image.height * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
    return bool(in);
}

void writePpm(const std::string& path, const Image& image) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
}

struct Rect {
    int x, y, w, h;
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

bool differs(const unsigned char* a, const unsigned char* b) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(int(a[i]) - int(b[i])) > 24)
            return true;
    return false;
}

// The numerals read by their shape, as a person tells them apart: the ink's bounding box
// cut into three by three cells. A 1 is a slim upright stroke with nothing at the sides of
// its middle; a 2 has a full base and little on the right of its middle; a 3 is open at
// the bottom centre and full on the right of its middle.
std::string numeral(const Image& image, const Rect& r) {
    auto ink = [&](int x, int y) {
        const unsigned char* p = image.at(x, y);
        return std::min({p[0], p[1], p[2]}) > 200;
    };
    int x0 = r.x + r.w, y0 = r.y + r.h, x1 = r.x - 1, y1 = r.y - 1;
    long total = 0;
    for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, image.height); ++y)
        for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, image.width); ++x)
            if (ink(x, y)) {
                ++total;
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    if (total < 50)
        return "-";
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    double cell[3][3];
    for (int gy = 0; gy < 3; ++gy)
        for (int gx = 0; gx < 3; ++gx) {
            const int cx0 = x0 + w * gx / 3, cx1 = x0 + w * (gx + 1) / 3;
            const int cy0 = y0 + h * gy / 3, cy1 = y0 + h * (gy + 1) / 3;
            long n = 0;
            for (int y = cy0; y < cy1; ++y)
                for (int x = cx0; x < cx1; ++x)
                    n += ink(x, y);
            cell[gy][gx] = double(n) / std::max(1, (cx1 - cx0) * (cy1 - cy0));
        }
    const double aspect = double(w) / h;
    if (aspect < 0.45 && cell[1][0] < 0.05 && cell[1][2] < 0.05 && cell[1][1] > 0.5)
        return "1";
    if (aspect > 0.45 && cell[2][1] >= 0.3 && cell[1][2] < 0.4 && cell[2][0] > 0.3)
        return "2";
    if (aspect > 0.45 && cell[2][1] < 0.3 && cell[1][2] >= 0.4 && cell[1][0] < 0.1)
        return "3";
    return "?";
}

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: pokoeye [--at X Y] [--size W H] [--ref FILE] [--watch MS EVERY] "
                         "QUERY...\n");
    std::exit(64);
}

double now() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char** argv) {
    int ox = 0, oy = 0, w = -1, h = -1, watchMs = 0, everyMs = 100;
    std::string refPath, until;
    bool reached = false;
    std::vector<std::string> args(argv + 1, argv + argc);
    size_t i = 0;
    auto need = [&](size_t n) {
        if (i + n >= args.size())
            usage();
    };
    for (; i < args.size(); ++i) {
        if (args[i] == "--at") {
            need(2);
            ox = std::atoi(args[++i].c_str());
            oy = std::atoi(args[++i].c_str());
        } else if (args[i] == "--size") {
            need(2);
            w = std::atoi(args[++i].c_str());
            h = std::atoi(args[++i].c_str());
        } else if (args[i] == "--ref") {
            need(1);
            refPath = args[++i];
        } else if (args[i] == "--until") {
            need(1);
            until = args[++i];
        } else if (args[i] == "--watch") {
            need(2);
            watchMs = std::atoi(args[++i].c_str());
            everyMs = std::max(1, std::atoi(args[++i].c_str()));
        } else {
            break;
        }
    }
    const std::vector<std::string> queries(args.begin() + long(i), args.end());
    if (queries.empty())
        usage();

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "pokoeye: cannot open the display\n");
        return 2;
    }
    if (w < 0) {
        w = DisplayWidth(display, DefaultScreen(display)) - ox;
        h = DisplayHeight(display, DefaultScreen(display)) - oy;
    }
    Image ref;
    if (!refPath.empty() && !readPpm(refPath, ref)) {
        std::fprintf(stderr, "pokoeye: cannot read %s\n", refPath.c_str());
        return 2;
    }

    const double start = now();
    do {
        const double stamp = now();
        const Image image = grab(display, ox, oy, w, h);
        std::ostringstream line;
        line.setf(std::ios::fixed);
        if (watchMs > 0) {
            line.precision(3);
            line << stamp;
        }
        line.precision(4);
        for (size_t q = 0; q < queries.size(); ++q) {
            std::istringstream in(queries[q]);
            std::string kind;
            in >> kind;
            if (!line.str().empty())
                line << ' ';
            if (kind == "frac") {
                Rect r{};
                std::string hex;
                int tol = 0;
                if (!(in >> r.x >> r.y >> r.w >> r.h >> hex >> tol))
                    usage();
                const unsigned long c = std::strtoul(hex.c_str(), nullptr, 16);
                const int want[3] = {int(c >> 16 & 0xff), int(c >> 8 & 0xff), int(c & 0xff)};
                long hits = 0, all = 0;
                for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, image.height); ++y)
                    for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, image.width); ++x) {
                        const unsigned char* p = image.at(x, y);
                        ++all;
                        if (std::abs(p[0] - want[0]) <= tol && std::abs(p[1] - want[1]) <= tol &&
                            std::abs(p[2] - want[2]) <= tol)
                            ++hits;
                    }
                line << (all ? double(hits) / double(all) : 0.0);
            } else if (kind == "diff" || kind == "diffout") {
                if (ref.width != image.width || ref.height != image.height) {
                    std::fprintf(stderr, "pokoeye: %s needs a --ref of the grab's size\n",
                                 kind.c_str());
                    return 64;
                }
                std::vector<Rect> rects;
                std::string token;
                std::vector<int> numbers;
                while (in >> token) {
                    std::replace(token.begin(), token.end(), ',', ' ');
                    std::istringstream part(token);
                    int n;
                    while (part >> n)
                        numbers.push_back(n);
                }
                if (numbers.empty() || numbers.size() % 4 != 0)
                    usage();
                for (size_t k = 0; k < numbers.size(); k += 4)
                    rects.push_back({numbers[k], numbers[k + 1], numbers[k + 2], numbers[k + 3]});
                long count = 0;
                for (int y = 0; y < image.height; ++y)
                    for (int x = 0; x < image.width; ++x) {
                        bool inside = false;
                        for (const Rect& r : rects)
                            inside = inside || r.contains(x, y);
                        if (inside == (kind == "diff") && differs(image.at(x, y), ref.at(x, y)))
                            ++count;
                    }
                line << count;
            } else if (kind == "numeral") {
                Rect r{};
                if (!(in >> r.x >> r.y >> r.w >> r.h))
                    usage();
                line << numeral(image, r);
            } else if (kind == "rgb") {
                int x = 0, y = 0;
                if (!(in >> x >> y))
                    usage();
                char buffer[8] = "000000";
                if (x >= 0 && y >= 0 && x < image.width && y < image.height) {
                    const unsigned char* p = image.at(x, y);
                    std::snprintf(buffer, sizeof buffer, "%02x%02x%02x", p[0], p[1], p[2]);
                }
                line << buffer;
            } else if (kind == "save") {
                std::string path;
                if (!(in >> path))
                    usage();
                writePpm(path, image);
                line << path;
            } else {
                usage();
            }
        }
        const std::string text = line.str();
        if (!until.empty()) {
            // The answers after the time stamp.
            reached = text.size() > text.find(' ') && text.substr(text.find(' ') + 1) == until;
            if (!reached) {
                if ((now() - start) * 1000.0 >= watchMs)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
                continue;
            }
        }
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        if (watchMs <= 0 || reached)
            break;
        const double next = stamp + everyMs / 1000.0;
        const double wait = next - now();
        if (wait > 0)
            std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    } while ((now() - start) * 1000.0 < watchMs);
    XCloseDisplay(display);
    return until.empty() || reached ? 0 : 1;
}
