// Presses a key through XTest, once or several times, and samples rows of the screen until they
// have stood still for the settle time. Prints when the rows reached what they settled on, and
// whether any sample in between showed something else.
//
//   orvane-xsample KEY [--rows Y,Y,...] [--cols X,WIDTH] [--window NAME] [--settle MS]
//                  [--timeout MS] [--repeat N --gap MS] [--any] [--black]
//   orvane-xsample --click X,Y [the same options]   (a left click instead of a key)
//   ... --then KEY@MS     (another key MS after the first input, repeatable; prints
//                          then=<ms>,... too: the first change after each)
//   orvane-xsample --wait NAME [--timeout MS]
//   orvane-xsample --where NAME      (prints the left and top of the window's inside)
//   orvane-xsample --painted [--rows ...] [--cols ...] -- COMMAND ARGS...
//                  starts COMMAND in a process group of its own and prints pid=<pid> and
//                  time=<ms> once a sampled row shows a picture (over 16 colours), counted from
//                  the start; the command is left running
//
// With --window the rows and columns count from the top left of that window's inside. --repeat
// presses the key N times, --gap MS apart, as key repeat does; times count from the first press
// and the rows settle only after the last. --any accepts rows in between that are neither as
// before nor as settled (a list's highlight passing by); --black accepts all-black rows in between
// (a window that is black until its picture is read). Prints
//   time=<ms> result=<ok|black|other|unchanged|timeout> samples=<n> changes=<n> first=<ms>
//   maxgap=<ms>
// black: a sample in between had every sampled row black; other: a row that was neither as it
// was before the key nor as it settled. first: the first change. maxgap: the longest time without a
// change of the rows from the first press to the first change after the last press.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Rows = std::vector<std::vector<unsigned char>>;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::optional<std::string> nameOf(Display *dpy, Window w) {
    char *name = nullptr;
    if (XFetchName(dpy, w, &name) && name) {
        std::string s(name);
        XFree(name);
        return s;
    }
    return std::nullopt;
}

// The mapped window named so, searched down from the root (the window manager reparents).
Window findWindow(Display *dpy, Window under, const std::string &name) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(dpy, under, &attributes) || attributes.map_state != IsViewable)
        return 0;
    if (nameOf(dpy, under) == name)
        return under;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, under, &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = count; i-- > 0 && !found;)
        found = findWindow(dpy, children[i], name);
    if (children)
        XFree(children);
    return found;
}

struct Sampler {
    Display *dpy;
    Window root;
    int left;
    int width;
    std::vector<int> rows;

    Rows sample() const {
        Rows out;
        for (int y : rows) {
            XImage *image =
                XGetImage(dpy, root, left, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
            std::vector<unsigned char> row;
            if (image) {
                const int bytes = image->bytes_per_line;
                row.assign(image->data, image->data + bytes);
                // The padding byte of 32-bit pixels is not part of the picture.
                if (image->bits_per_pixel == 32)
                    for (int i = 3; i < bytes; i += 4)
                        row[static_cast<size_t>(i)] = 0;
                XDestroyImage(image);
            }
            out.push_back(std::move(row));
        }
        return out;
    }
};

bool allBlack(const Rows &rows) {
    for (const auto &row : rows)
        for (unsigned char byte : row)
            if (byte > 8)
                return false;
    return true;
}

std::vector<int> parseList(const char *text) {
    std::vector<int> out;
    for (const char *p = text; *p;) {
        out.push_back(std::atoi(p));
        while (*p && *p != ',')
            ++p;
        if (*p == ',')
            ++p;
    }
    return out;
}

// Whether a row shows a picture rather than a background, a plain window or a pattern.
bool picture(const std::vector<unsigned char> &row) {
    std::set<unsigned> colours;
    for (size_t i = 0; i + 3 < row.size() && colours.size() <= 16; i += 4)
        colours.insert(static_cast<unsigned>(row[i] | row[i + 1] << 8 | row[i + 2] << 16));
    return colours.size() > 16;
}

int startUntilPainted(const Sampler &sampler, char **command, double timeout) {
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        // As a desktop starts it: no signal blocked or ignored that the caller's threads had.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        freopen("/dev/null", "w", stdout); // it outlives the sampler, whose output is read whole
        execvp(command[0], command);
        _exit(127);
    }
    std::printf("pid=%d ", pid);
    while (msSince(start) < timeout) {
        for (const auto &row : sampler.sample())
            if (picture(row)) {
                std::printf("time=%.2f\n", msSince(start));
                return 0;
            }
        std::this_thread::sleep_for(std::chrono::microseconds(1000));
    }
    std::printf("time=0 result=timeout\n");
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    std::string key, window, wait, where;
    std::vector<int> rows = {270, 540, 810};
    std::vector<int> cols, click;
    struct Then {
        KeyCode code = 0;
        std::string key;
        double at = 0, pressed = -1;
    };
    std::vector<Then> thens;
    double settle = 2000, timeout = 15000, gap = 0;
    int repeat = 1;
    bool any = false, black = false, painted = false;
    char **command = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            command = argv + i + 1;
            break;
        }
        auto next = [&] { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--rows")
            rows = parseList(next());
        else if (a == "--cols")
            cols = parseList(next());
        else if (a == "--window")
            window = next();
        else if (a == "--wait")
            wait = next();
        else if (a == "--where")
            where = next();
        else if (a == "--settle")
            settle = std::atof(next());
        else if (a == "--timeout")
            timeout = std::atof(next());
        else if (a == "--repeat")
            repeat = std::max(1, std::atoi(next()));
        else if (a == "--gap")
            gap = std::atof(next());
        else if (a == "--any")
            any = true;
        else if (a == "--black")
            black = true;
        else if (a == "--painted")
            painted = true;
        else if (a == "--click")
            click = parseList(next());
        else if (a == "--then") {
            const std::string then = next();
            const size_t at = then.find('@');
            thens.push_back({0, then.substr(0, at),
                             at == std::string::npos ? 0 : std::atof(then.c_str() + at + 1)});
        } else
            key = a;
    }
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(dpy);
    const Clock::time_point begin = Clock::now();

    if (!wait.empty()) {
        while (!findWindow(dpy, root, wait)) {
            if (msSince(begin) > timeout)
                return 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 0;
    }

    int top = 0, left = 0;
    if (!where.empty()) {
        const Window w = findWindow(dpy, root, where);
        Window child = 0;
        if (!w || !XTranslateCoordinates(dpy, w, root, 0, 0, &left, &top, &child))
            return 1;
        std::printf("%d %d\n", left, top);
        return 0;
    }
    if (!window.empty()) {
        const Window w = findWindow(dpy, root, window);
        Window child = 0;
        if (!w || !XTranslateCoordinates(dpy, w, root, 0, 0, &left, &top, &child)) {
            std::printf("time=0 result=nowindow samples=0 changes=0\n");
            return 1;
        }
    }
    int width = DisplayWidth(dpy, DefaultScreen(dpy)) - left;
    if (cols.size() == 2) {
        left += cols[0];
        width = cols[1];
    }
    Sampler sampler{dpy, root, left, width, {}};
    for (int y : rows)
        sampler.rows.push_back(y + top);
    if (painted && command && *command)
        return startUntilPainted(sampler, command, timeout);

    const KeyCode code =
        click.size() == 2 ? 0 : XKeysymToKeycode(dpy, XStringToKeysym(key.c_str()));
    if (click.size() == 2) {
        XTestFakeMotionEvent(dpy, DefaultScreen(dpy),
                             left - (cols.size() == 2 ? cols[0] : 0) + click[0], top + click[1],
                             CurrentTime);
        XSync(dpy, False);
        key = "click";
    } else if (!code) {
        std::fprintf(stderr, "no such key: %s\n", key.c_str());
        return 2;
    }
    for (Then &t : thens)
        t.code = XKeysymToKeycode(dpy, XStringToKeysym(t.key.c_str()));
    double thenPressed = -1; // the last of them
    const Rows before = sampler.sample();

    // Each change of the rows, with the time it was first seen.
    struct Change {
        double at;
        Rows rows;
    };
    std::vector<Change> changes;
    long samples = 0;
    const Clock::time_point pressed = Clock::now();
    int presses = 0;
    const double lastPress = gap * (repeat - 1);
    Rows last = before;
    double lastChange = 0;
    bool timedOut = false;
    for (;;) {
        if (presses < repeat && msSince(pressed) >= gap * presses) {
            if (code) {
                XTestFakeKeyEvent(dpy, code, True, CurrentTime);
                XTestFakeKeyEvent(dpy, code, False, CurrentTime);
            } else {
                XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
                XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
            }
            XFlush(dpy);
            ++presses;
        }
        for (Then &t : thens)
            if (t.code && t.pressed < 0 && msSince(pressed) >= t.at) {
                thenPressed = t.pressed = msSince(pressed);
                XTestFakeKeyEvent(dpy, t.code, True, CurrentTime);
                XTestFakeKeyEvent(dpy, t.code, False, CurrentTime);
                XFlush(dpy);
            }
        const bool allThen =
            std::all_of(thens.begin(), thens.end(), [](const Then &t) { return t.pressed >= 0; });
        const double at = msSince(pressed);
        Rows now = sampler.sample();
        ++samples;
        if (now != last) {
            changes.push_back({at, now});
            last = std::move(now);
            lastChange = at;
        }
        if (presses == repeat && allThen &&
            at - std::max({lastChange, lastPress, thenPressed}) >= settle)
            break;
        if (at > timeout) {
            timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(1000));
    }

    const char *result = "ok";
    double time = 0, maxGap = 0, previous = 0;
    for (const Change &c : changes) {
        maxGap = std::max(maxGap, c.at - previous);
        previous = c.at;
        if (c.at > lastPress)
            break;
    }
    if (timedOut) {
        result = "timeout";
    } else if (changes.empty()) {
        result = "unchanged";
    } else {
        const Rows &final = changes.back().rows;
        time = changes.back().at;
        for (size_t c = 0; c + 1 < changes.size(); ++c) {
            const Rows &r = changes[c].rows;
            if (!black && allBlack(r) && !allBlack(final)) {
                result = "black";
                break;
            }
            for (size_t i = 0; i < r.size() && !any; ++i)
                if (r[i] != before[i] && r[i] != final[i])
                    result = "other";
        }
    }
    std::printf("time=%.2f result=%s samples=%ld changes=%zu first=%.2f maxgap=%.2f", time, result,
                samples, changes.size(), changes.empty() ? 0 : changes.front().at, maxGap);
    for (size_t i = 0; i < thens.size(); ++i) {
        double then = -1;
        for (const Change &c : changes)
            if (c.at >= thens[i].pressed) {
                then = c.at - thens[i].pressed;
                break;
            }
        std::printf("%s%.2f", i == 0 ? " then=" : ",", then);
    }
    std::printf("\n");
    // For looking at what went wrong: every change as rows of pixels, one PPM file each.
    if (const char *dir = std::getenv("ORVANE_XSAMPLE_DUMP"))
        for (size_t c = 0; c < changes.size(); ++c) {
            const std::string name = std::string(dir) + "/" + key + "-" + std::to_string(c) + "-" +
                                     std::to_string(static_cast<int>(changes[c].at)) + ".ppm";
            if (FILE *f = std::fopen(name.c_str(), "wb")) {
                const Rows &r = changes[c].rows;
                std::fprintf(f, "P6 %d %zu 255\n", sampler.width, r.size() * 8);
                for (const auto &row : r)
                    for (int copy = 0; copy < 8; ++copy)
                        for (int x = 0; x < sampler.width; ++x) {
                            const unsigned char *p = row.data() + 4 * x;
                            const unsigned char rgb[3] = {p[2], p[1], p[0]};
                            std::fwrite(rgb, 1, 3, f);
                        }
                std::fclose(f);
            }
        }
    XCloseDisplay(dpy);
    return 0;
}
