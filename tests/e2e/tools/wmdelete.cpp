/* wmdelete WINDOW-ID: asks a window to close the way a window manager's close button
 * does, with a WM_DELETE_WINDOW client message (the window stays the program's to
 * close). Exits 1 when the window does not take part in that protocol. */
#include <X11/Xlib.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: wmdelete WINDOW-ID\n", stderr);
        return 64;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fputs("wmdelete: cannot open the display\n", stderr);
        return 2;
    }
    const Window window = (Window)strtoul(argv[1], NULL, 0);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* supported = NULL;
    int count = 0;
    int takesPart = 0;
    if (XGetWMProtocols(display, window, &supported, &count)) {
        for (int i = 0; i < count; ++i)
            takesPart |= supported[i] == deleteWindow;
        XFree(supported);
    }
    if (!takesPart) {
        fprintf(stderr, "wmdelete: window %s does not take WM_DELETE_WINDOW\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)deleteWindow;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
