// What the benchmarks that time the real program share: a display of their own, the program
// copied into a scratch folder with its own configuration, prefix and marker folders, started as
// a user starts it, watched on the X server, driven with xdotool and closed as the user closes it.
#pragma once

#include "BenchTable.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace bench {

namespace fsys = std::filesystem;

inline std::string readAll(const fsys::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeAll(const fsys::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// A field of /proc/<pid>/status in kB: VmRSS now, VmHWM the peak so far.
inline long statusKb(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const std::string key = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + key.size(), nullptr, 10);
    return 0;
}

// The benchmark runs itself again under a display of its own: the same screen every time, and
// no window manager to put a frame between the root and the program's window. Returns whether
// this process already is that run; otherwise it does not return unless xvfb-run is missing.
constexpr const char* kOwnDisplay = "TAVRIN_BENCH_OWN_DISPLAY";

inline bool onOwnDisplay(char** argv) {
    if (std::getenv(kOwnDisplay))
        return true;
    ::setenv(kOwnDisplay, "1", 1);
    std::vector<char*> args = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                               const_cast<char*>("-s"),
                               const_cast<char*>("-screen 0 1280x1024x24")};
    for (char** a = argv; *a; ++a)
        args.push_back(*a);
    args.push_back(nullptr);
    ::execvp("xvfb-run", args.data());
    std::perror("xvfb-run");
    return false;
}

// The connection to the benchmark's own display, this process run again under it first; null
// when there is none.
inline xcb_connection_t* connectOwnDisplay(char** argv) {
    if (!onOwnDisplay(argv))
        return nullptr;
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "cannot reach the X server\n");
        xcb_disconnect(conn);
        return nullptr;
    }
    return conn;
}

// A scratch folder, removed at the end.
struct Scratch {
    fsys::path path;
    explicit Scratch(const char* name) {
        std::string pattern = "/tmp/" + std::string(name) + ".XXXXXX";
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~Scratch() {
        if (!path.empty())
            fsys::remove_all(path);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

class RealProgram {
public:
    RealProgram(xcb_connection_t* c, fsys::path scratch) : mConn(c), mScratch(std::move(scratch)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
        mPidAtom = atom("_NET_WM_PID");
        mProtocols = atom("WM_PROTOCOLS");
        mDelete = atom("WM_DELETE_WINDOW");
        xcb_flush(c);

        fsys::create_directories(folder());
        fsys::copy_file(TAVRIN_EXE, folder() / "tavrin", fsys::copy_options::overwrite_existing);
        for (const char* name : {"config", "wine", "run"}) {
            fsys::create_directories(mScratch / name);
            fsys::permissions(mScratch / name, fsys::perms::owner_all);
        }
    }
    ~RealProgram() { kill(); }
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    // Where the program, its Tavrin.ini and data.ixo live.
    fsys::path folder() const { return mScratch / "program"; }
    // Its Wine prefix.
    fsys::path prefix() const { return mScratch / "wine"; }
    pid_t pid() const { return mChild; }
    xcb_window_t mainWindow() const { return mMain; }

    // Starts the program and waits for its main window; false when it did not come.
    bool start() {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string var = *e;
            if (var.rfind("XDG_CONFIG_HOME=", 0) && var.rfind("WINEPREFIX=", 0) &&
                var.rfind("XDG_RUNTIME_DIR=", 0) && var.rfind("QT_QPA_PLATFORM=", 0))
                env.push_back(var);
        }
        env.push_back("XDG_CONFIG_HOME=" + (mScratch / "config").string());
        env.push_back("WINEPREFIX=" + prefix().string());
        // The single-instance marker lives there: no other copy can block this one.
        env.push_back("XDG_RUNTIME_DIR=" + (mScratch / "run").string());
        std::vector<char*> envp;
        for (auto& var : env)
            envp.push_back(var.data());
        envp.push_back(nullptr);
        std::string exe = (folder() / "tavrin").string();
        char* argv[] = {exe.data(), nullptr};

        drainEvents();
        mShown.clear();
        if (posix_spawn(&mChild, exe.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            mChild = 0;
            return false;
        }
        mMain = nextMapped(std::chrono::seconds(120));
        return mMain != XCB_WINDOW_NONE;
    }

    // The next top-level window of the program mapped (menus and tips, which are
    // override-redirect, aside), or none when it did not come in time or the program ended.
    xcb_window_t nextMapped(std::chrono::seconds limit) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            const auto [kind, window] = nextEvent(deadline);
            if (kind == XCB_MAP_NOTIFY)
                return window;
            if (kind == 0)
                break;
        }
        return XCB_WINDOW_NONE;
    }

    // Waits until `window` is unmapped; false when that did not happen in time.
    bool waitUnmapped(xcb_window_t window, std::chrono::seconds limit) {
        const auto deadline = Clock::now() + limit;
        while (mShown.count(window) && Clock::now() < deadline)
            if (nextEvent(deadline).first == 0)
                return false;
        return !mShown.count(window);
    }

    // Keys pressed in order and released in reverse, as a chord (Alt+S: {0xffe9, 's'}), through
    // XTest: the moment it returns the keys are on their way, with no program started first.
    bool press(const std::vector<xcb_keysym_t>& chord) {
        std::vector<xcb_keycode_t> codes;
        for (const xcb_keysym_t sym : chord) {
            const xcb_keycode_t code = keycode(sym);
            if (!code)
                return false;
            codes.push_back(code);
        }
        for (const xcb_keycode_t code : codes)
            xcb_test_fake_input(mConn, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        for (auto c = codes.rbegin(); c != codes.rend(); ++c)
            xcb_test_fake_input(mConn, XCB_KEY_RELEASE, *c, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(mConn);
        return true;
    }

    // xdotool with these arguments, waited for.
    static bool xdotool(std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        return runQuietly(std::move(args));
    }

    // As the window manager's close button does; the program then writes its files. False when
    // it did not end cleanly within two minutes.
    bool close() {
        if (!mChild)
            return false;
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = mMain;
        message.type = mProtocols;
        message.data.data32[0] = mDelete;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(mConn, 0, mMain, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(mConn);
        for (int i = 0; i < 120000; ++i) {
            int status = 0;
            if (::waitpid(mChild, &status, WNOHANG) == mChild) {
                mChild = 0;
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            }
            ::usleep(1000);
        }
        kill();
        return false;
    }

    void kill() {
        if (!mChild)
            return;
        ::kill(mChild, SIGKILL);
        ::waitpid(mChild, nullptr, 0);
        mChild = 0;
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            mConn, xcb_intern_atom(mConn, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    }

    // The first key that gives `sym` unshifted, or 0.
    xcb_keycode_t keycode(xcb_keysym_t sym) {
        const xcb_setup_t* setup = xcb_get_setup(mConn);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* map = xcb_get_keyboard_mapping_reply(
            mConn,
            xcb_get_keyboard_mapping(mConn, setup->min_keycode, static_cast<std::uint8_t>(count)),
            nullptr);
        xcb_keycode_t found = 0;
        if (map) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
            for (int k = 0; k < count && !found; ++k)
                if (syms[k * map->keysyms_per_keycode] == sym)
                    found = static_cast<xcb_keycode_t>(setup->min_keycode + k);
        }
        std::free(map);
        return found;
    }

    void drainEvents() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(mConn))
            std::free(e);
    }

    bool ownedByChild(xcb_window_t window) {
        auto* reply = xcb_get_property_reply(
            mConn, xcb_get_property(mConn, 0, window, mPidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        const bool owned = reply && xcb_get_property_value_length(reply) == 4 &&
                           *static_cast<std::uint32_t*>(xcb_get_property_value(reply)) ==
                               static_cast<std::uint32_t>(mChild);
        std::free(reply);
        return owned;
    }

    // The next map or unmap of one of the program's top-level windows, as {kind, window};
    // {0, none} when the deadline passed, the program ended or the connection broke.
    std::pair<int, xcb_window_t> nextEvent(Clock::time_point deadline) {
        pollfd fd{xcb_get_file_descriptor(mConn), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(mConn)) {
                const int kind = e->response_type & 0x7F;
                xcb_window_t window = XCB_WINDOW_NONE;
                if (kind == XCB_MAP_NOTIFY) {
                    auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    if (!map->override_redirect)
                        window = map->window;
                } else if (kind == XCB_UNMAP_NOTIFY) {
                    window = reinterpret_cast<xcb_unmap_notify_event_t*>(e)->window;
                }
                std::free(e);
                if (kind == XCB_UNMAP_NOTIFY && mShown.erase(window))
                    return {kind, window};
                if (kind == XCB_MAP_NOTIFY && window != XCB_WINDOW_NONE && ownedByChild(window)) {
                    mShown.insert(window);
                    return {kind, window};
                }
            }
            if (xcb_connection_has_error(mConn) || ::waitpid(mChild, nullptr, WNOHANG) != 0)
                return {0, XCB_WINDOW_NONE};
            ::poll(&fd, 1, 20);
        }
        return {0, XCB_WINDOW_NONE};
    }

    xcb_connection_t* mConn;
    fsys::path mScratch;
    xcb_atom_t mPidAtom = XCB_ATOM_NONE, mProtocols = XCB_ATOM_NONE, mDelete = XCB_ATOM_NONE;
    pid_t mChild = 0;
    xcb_window_t mMain = XCB_WINDOW_NONE;
    std::set<xcb_window_t> mShown;
};

} // namespace bench
