// Drives the X server like a user for the end-to-end tests, through XTest:
//   xinput_tool click X Y     left click at a screen point
//   xinput_tool move X Y      pointer to a screen point
//   xinput_tool key NAME      press and release a key (an X keysym name)
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s click X Y | move X Y | key NAME\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const char *command = argv[1];
    int result = 0;
    if ((std::strcmp(command, "click") == 0 || std::strcmp(command, "move") == 0) && argc >= 4) {
        XTestFakeMotionEvent(display, -1, std::atoi(argv[2]), std::atoi(argv[3]), CurrentTime);
        XSync(display, False);
        if (std::strcmp(command, "click") == 0) {
            usleep(50000);
            XTestFakeButtonEvent(display, 1, True, CurrentTime);
            XSync(display, False);
            usleep(30000);
            XTestFakeButtonEvent(display, 1, False, CurrentTime);
        }
    } else if (std::strcmp(command, "key") == 0) {
        const KeySym sym = XStringToKeysym(argv[2]);
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
        if (code == 0) {
            std::fprintf(stderr, "unknown key %s\n", argv[2]);
            result = 2;
        } else {
            XTestFakeKeyEvent(display, code, True, CurrentTime);
            XSync(display, False);
            XTestFakeKeyEvent(display, code, False, CurrentTime);
        }
    } else {
        result = 2;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return result;
}
