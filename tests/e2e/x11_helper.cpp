// What xdotool cannot do for the end-to-end tests: close a window the way a window
// manager's close button does (WM_DELETE_WINDOW, so the program shuts down normally), and
// save a window's picture as PNG, and tell whether something dark (text) is drawn in a part
// of a window.
//   x11_helper close <window id>
//   x11_helper shot <window id | root> <file.png>
//   x11_helper inked <window id> <x> <y> <width> <height>   exit 0: drawn on, 1: blank
// Qt first: Xlib defines macros (Status, Bool ...) that Qt's headers must not see.
#include <QImage>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Close(Display* dpy, Window w) {
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &ev);
    XSync(dpy, False);
    return 0;
}

int Shot(Display* dpy, Window w, const char* file) {
    XWindowAttributes attr;
    if (!XGetWindowAttributes(dpy, w, &attr)) return 1;
    XImage* img = XGetImage(dpy, w, 0, 0, static_cast<unsigned>(attr.width),
                            static_cast<unsigned>(attr.height), AllPlanes, ZPixmap);
    if (!img) return 1;
    QImage out(attr.width, attr.height, QImage::Format_RGB32);
    for (int y = 0; y < attr.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < attr.width; ++x) {
            const unsigned long p = XGetPixel(img, x, y);
            line[x] = qRgb(static_cast<int>((p & img->red_mask) >> 16),
                           static_cast<int>((p & img->green_mask) >> 8),
                           static_cast<int>(p & img->blue_mask));
        }
    }
    XDestroyImage(img);
    return out.save(QString::fromLocal8Bit(file), "PNG") ? 0 : 1;
}

// 0 when a pixel of the rectangle is dark in every channel, 1 when none is.
int Inked(Display* dpy, Window w, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return 2;
    XImage* img = XGetImage(dpy, w, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!img) return 2;
    int rc = 1;
    for (int row = 0; row < height && rc == 1; ++row) {
        for (int col = 0; col < width; ++col) {
            const unsigned long p = XGetPixel(img, col, row);
            if (((p & img->red_mask) >> 16) < 128 && ((p & img->green_mask) >> 8) < 128 &&
                (p & img->blue_mask) < 128) {
                rc = 0;
                break;
            }
        }
    }
    XDestroyImage(img);
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: x11_helper close <id> | shot <id|root> <file.png> | "
                     "inked <id> <x> <y> <width> <height>\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "x11_helper: no display\n");
        return 1;
    }
    const std::string what = argv[1];
    const Window w = std::strcmp(argv[2], "root") == 0
                         ? DefaultRootWindow(dpy)
                         : static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    int rc = 2;
    if (what == "close") rc = Close(dpy, w);
    if (what == "shot" && argc == 4) rc = Shot(dpy, w, argv[3]);
    if (what == "inked" && argc == 7) {
        rc = Inked(dpy, w, std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                   std::atoi(argv[6]));
    }
    XCloseDisplay(dpy);
    return rc;
}
