/* startupwatch SECONDS: prints each startup notification message (the freedesktop startup
 * notification protocol: "new: ...", "remove: ID=...") that a program sends the root
 * window, and "map" when a top-level window maps, one a line in the order they came, for
 * SECONDS. Prints "ready" once it listens. */
#include <X11/Xlib.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <time.h>

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: startupwatch SECONDS\n", stderr);
        return 64;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fputs("startupwatch: cannot open the display\n", stderr);
        return 2;
    }
    const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    // The messages go to the root window with the property-change mask.
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask | SubstructureNotifyMask);
    XSync(display, False);
    puts("ready");
    fflush(stdout);
    const double end = now() + atof(argv[1]);
    std::string message;
    while (now() < end) {
        if (!XPending(display)) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            puts("map");
        } else if (event.type == ClientMessage &&
                   (event.xclient.message_type == begin || event.xclient.message_type == more)) {
            // A message comes in pieces of 20 bytes, the last ended by a zero byte.
            if (event.xclient.message_type == begin)
                message.clear();
            for (const char c : event.xclient.data.b) {
                if (c == '\0') {
                    puts(message.c_str());
                    message.clear();
                    break;
                }
                message += c;
            }
        }
        fflush(stdout);
    }
    XCloseDisplay(display);
    return 0;
}
