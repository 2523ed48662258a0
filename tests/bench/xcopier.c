/* A fast X11 copier for the capture benchmark: owns the CLIPBOARD with COUNT distinct texts,
 * at least GAP_MS apart, and answers every request with the text current at that moment, as a quick
 * real program does (an old text is gone once the next is copied). Prints one line per copy:
 * its index and the CLOCK_MONOTONIC time in nanoseconds at which it took the clipboard. After
 * the last copy it keeps serving that text for HOLD_MS, then ends.
 *
 *   xcopier COUNT GAP_MS PREFIX [SIZE [HOLD_MS]]
 *
 * Text i is "PREFIX iiiii", padded with '.' to SIZE bytes when SIZE is larger. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

static Display* display;
static Window window;
static Atom clipboard, targets, utf8, text_atom, timestamp;
static char* current;
static size_t current_size;

static int64_t now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static void answer(const XSelectionRequestEvent* request) {
    XSelectionEvent reply;
    memset(&reply, 0, sizeof reply);
    reply.type = SelectionNotify;
    reply.requestor = request->requestor;
    reply.selection = request->selection;
    reply.target = request->target;
    reply.time = request->time;
    /* Obsolete clients name no property: the target is the property then. */
    Atom property = request->property != None ? request->property : request->target;
    reply.property = property;
    if (request->target == targets) {
        Atom offered[] = {targets, utf8, XA_STRING, text_atom, timestamp};
        XChangeProperty(display, request->requestor, property, XA_ATOM, 32, PropModeReplace,
                        (unsigned char*)offered, (int)(sizeof offered / sizeof offered[0]));
    } else if (request->target == utf8 || request->target == XA_STRING ||
               request->target == text_atom) {
        Atom type = request->target == text_atom ? utf8 : request->target;
        XChangeProperty(display, request->requestor, property, type, 8, PropModeReplace,
                        (unsigned char*)current, (int)current_size);
    } else if (request->target == timestamp) {
        long zero = CurrentTime;
        XChangeProperty(display, request->requestor, property, XA_INTEGER, 32, PropModeReplace,
                        (unsigned char*)&zero, 1);
    } else {
        reply.property = None; /* MULTIPLE and the rest are refused */
    }
    XSendEvent(display, request->requestor, False, NoEventMask, (XEvent*)&reply);
}

/* Serves requests until the monotonic clock reaches deadline (at once when it has passed). */
static void serve_until(int64_t deadline) {
    int fd = ConnectionNumber(display);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == SelectionRequest) answer(&event.xselectionrequest);
        }
        XFlush(display);
        int64_t left = deadline - now_ns();
        if (left <= 0) return;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        struct timeval wait = {(time_t)(left / 1000000000), (suseconds_t)(left % 1000000000 / 1000)};
        if (select(fd + 1, &readable, NULL, NULL, &wait) < 0 && errno != EINTR) return;
    }
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: xcopier COUNT GAP_MS PREFIX [SIZE [HOLD_MS [SUFFIX]]]\n");
        return 2;
    }
    int count = atoi(argv[1]);
    int64_t gap = (int64_t)(atof(argv[2]) * 1e6);
    const char* prefix = argv[3];
    size_t size = argc > 4 ? (size_t)atol(argv[4]) : 0;
    int64_t hold = (int64_t)(argc > 5 ? atof(argv[5]) : 3000) * 1000000;
    // UTF-8 after the number: texts outside the code page, recorded with their exact form.
    const char* suffix = argc > 6 ? argv[6] : "";
    display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xcopier: no display\n");
        return 1;
    }
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    clipboard = XInternAtom(display, "CLIPBOARD", False);
    targets = XInternAtom(display, "TARGETS", False);
    utf8 = XInternAtom(display, "UTF8_STRING", False);
    text_atom = XInternAtom(display, "TEXT", False);
    timestamp = XInternAtom(display, "TIMESTAMP", False);
    size_t capacity = strlen(prefix) + strlen(suffix) + 32 + size;
    current = malloc(capacity);
    if (!current) return 1;
    for (int i = 0; i < count; ++i) {
        current_size = (size_t)snprintf(current, capacity, "%s %05d%s", prefix, i, suffix);
        if (size > current_size) {
            memset(current + current_size, '.', size - current_size);
            current_size = size;
        }
        XSetSelectionOwner(display, clipboard, window, CurrentTime);
        XFlush(display);
        int64_t copied = now_ns();
        printf("%d %lld\n", i, (long long)copied);
        // From the copy itself, not from a schedule: a copier held up for a moment must not
        // catch up with copies closer together than the gap measured.
        serve_until(copied + gap);
    }
    fflush(stdout);
    serve_until(now_ns() + hold);
    XCloseDisplay(display);
    free(current);
    return 0;
}
