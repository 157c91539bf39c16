// The real program from its start to its main window mapped on the X server, with a catalogue
// of 100,000 and of 1,000,000 items against the default catalogue; and its resident memory at
// that moment. It runs itself again under `xvfb-run -a`, which must be installed.
#include "BenchTable.h"
#include "catalogue/CatalogueFile.h"
#include "platform/Cp932.h"

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace tavrin;
namespace fsys = std::filesystem;

namespace {

constexpr int kRuns = 5;

// A root, folders under it with subfolders a level or two deeper, items spread evenly.
std::string catalogueBytes(int folders, int items) {
    const std::vector<std::string> titles = {sj("勇者の冒険"), sj("ツクール95作品"),
                                             sj("魔王城からの脱出 〜完全版〜"), sj("夢の続き")};
    Catalogue catalogue;
    catalogue.resetTree([&](FolderTree& tree) {
        std::vector<TreeNode*> all{tree.append(nullptr, "Tavrin")};
        for (int f = 0; static_cast<int>(all.size()) < folders; ++f) {
            TreeNode* top = tree.append(all[0], sj("フォルダ") + std::to_string(f));
            all.push_back(top);
            for (int s = 0; s < 9 && static_cast<int>(all.size()) < folders; ++s)
                all.push_back(tree.append(s % 3 ? top : all.back(), "Sub" + std::to_string(s)));
        }
        for (int i = 0; i < items; ++i) {
            std::string name = "Project_" + std::string(static_cast<std::size_t>(i % 28), 'x');
            all[static_cast<std::size_t>(i % folders)]->folder.Items.push_back(
                {"Z:\\home\\user\\Games\\" + name + std::to_string(i) + "\\",
                 titles[static_cast<std::size_t>(i) % titles.size()] + std::to_string(i),
                 i % 2 ? pk95 : pk2000});
        }
    });
    return serializeCatalogue(catalogue.tree());
}

std::string readAll(const fsys::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fsys::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

long residentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

struct Run {
    double seconds = 0;
    double residentMb = 0;
};

class Bench {
public:
    Bench(xcb_connection_t* c, fsys::path scratch) : mConn(c), mScratch(std::move(scratch)) {
        mRoot = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, mRoot, XCB_CW_EVENT_MASK, &mask);
        mPid = atom(c, "_NET_WM_PID");
        mProtocols = atom(c, "WM_PROTOCOLS");
        mDelete = atom(c, "WM_DELETE_WINDOW");
        xcb_flush(c);

        fsys::create_directories(program());
        fsys::copy_file(TAVRIN_EXE, program() / "tavrin", fsys::copy_options::overwrite_existing);
        for (const char* name : {"config", "wine", "run"}) {
            fsys::create_directories(mScratch / name);
            fsys::permissions(mScratch / name, fsys::perms::owner_all);
        }
    }

    // One start with `catalogue` as data.ixo (none when empty), closed as the user closes it;
    // nothing when the window did not come or the catalogue did not survive.
    std::optional<Run> start(const std::string& catalogue) {
        fsys::remove(program() / "Tavrin.ini");
        fsys::remove(program() / "data.ixo");
        if (!catalogue.empty())
            writeAll(program() / "data.ixo", catalogue);

        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string var = *e;
            if (var.rfind("XDG_CONFIG_HOME=", 0) && var.rfind("WINEPREFIX=", 0) &&
                var.rfind("XDG_RUNTIME_DIR=", 0) && var.rfind("QT_QPA_PLATFORM=", 0))
                env.push_back(var);
        }
        env.push_back("XDG_CONFIG_HOME=" + (mScratch / "config").string());
        env.push_back("WINEPREFIX=" + (mScratch / "wine").string());
        // The single-instance marker lives there: no other copy can block this one.
        env.push_back("XDG_RUNTIME_DIR=" + (mScratch / "run").string());
        std::vector<char*> envp;
        for (auto& var : env)
            envp.push_back(var.data());
        envp.push_back(nullptr);
        std::string exe = (program() / "tavrin").string();
        char* argv[] = {exe.data(), nullptr};

        drainEvents();
        const auto begin = std::chrono::steady_clock::now();
        pid_t child = 0;
        if (posix_spawn(&child, exe.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
            return std::nullopt;
        const xcb_window_t window = waitForMainWindow(child);
        Run run;
        run.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        run.residentMb = static_cast<double>(residentKb(child)) / 1024;
        const bool closed = window != XCB_WINDOW_NONE && close(child, window);
        if (!closed) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            std::fprintf(stderr, "the program did not show its window or did not close\n");
            return std::nullopt;
        }
        // The close wrote the catalogue back: what was loaded is the whole catalogue.
        if (!catalogue.empty() && readAll(program() / "data.ixo") != catalogue) {
            std::fprintf(stderr, "the catalogue written at close differs from the one read\n");
            return std::nullopt;
        }
        return run;
    }

private:
    fsys::path program() const { return mScratch / "program"; }

    void drainEvents() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(mConn))
            std::free(e);
    }

    bool ownedBy(xcb_window_t window, pid_t pid) {
        auto* reply = xcb_get_property_reply(
            mConn, xcb_get_property(mConn, 0, window, mPid, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        const bool owned = reply && xcb_get_property_value_length(reply) == 4 &&
                           *static_cast<std::uint32_t*>(xcb_get_property_value(reply)) ==
                               static_cast<std::uint32_t>(pid);
        std::free(reply);
        return owned;
    }

    // The first top-level window of the child mapped, menus and tips (override-redirect) aside.
    // Blocks on the X connection; a child that dies ends the wait.
    xcb_window_t waitForMainWindow(pid_t child) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        pollfd fd{xcb_get_file_descriptor(mConn), POLLIN, 0};
        while (std::chrono::steady_clock::now() < deadline) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(mConn)) {
                xcb_window_t mapped = XCB_WINDOW_NONE;
                if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                    auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    if (!map->override_redirect)
                        mapped = map->window;
                }
                std::free(e);
                if (mapped != XCB_WINDOW_NONE && ownedBy(mapped, child))
                    return mapped;
            }
            if (xcb_connection_has_error(mConn) || ::waitpid(child, nullptr, WNOHANG) != 0)
                return XCB_WINDOW_NONE;
            ::poll(&fd, 1, 100);
        }
        return XCB_WINDOW_NONE;
    }

    // As the window manager's close button does; the program then writes its files.
    bool close(pid_t child, xcb_window_t window) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = mProtocols;
        message.data.data32[0] = mDelete;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(mConn, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(mConn);
        for (int i = 0; i < 120000; ++i) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child)
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            ::usleep(1000);
        }
        return false;
    }

    xcb_connection_t* mConn;
    fsys::path mScratch;
    xcb_window_t mRoot = XCB_WINDOW_NONE;
    xcb_atom_t mPid = XCB_ATOM_NONE, mProtocols = XCB_ATOM_NONE, mDelete = XCB_ATOM_NONE;
};

// The benchmark runs itself under a display of its own: the same screen every time, and no
// window manager to put a frame between the root and the program's window.
constexpr const char* kOwnDisplay = "TAVRIN_BENCH_OWN_DISPLAY";

int underXvfb(char** argv) {
    ::setenv(kOwnDisplay, "1", 1);
    std::vector<char*> args = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                               const_cast<char*>("-s"),
                               const_cast<char*>("-screen 0 1280x1024x24")};
    for (char** a = argv; *a; ++a)
        args.push_back(*a);
    args.push_back(nullptr);
    ::execvp("xvfb-run", args.data());
    std::perror("xvfb-run");
    return 1;
}

} // namespace

int main(int, char** argv) {
    if (!std::getenv(kOwnDisplay))
        return underXvfb(argv);
    const char* display = std::getenv("DISPLAY");
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "cannot reach the X server %s\n", display ? display : "(none)");
        return 1;
    }

    char pattern[] = "/tmp/tavrin_bench_startup.XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const fsys::path scratch = pattern;
    int status = 1;
    {
        Bench bench(conn, scratch);
        const std::string hundredK = catalogueBytes(1000, 100000);
        const std::string million = catalogueBytes(10000, 1000000);
        std::fprintf(stderr, "data.ixo: %zu bytes (100k items), %zu bytes (1M items)\n",
                     hundredK.size(), million.size());

        // A first start warms the caches; it is not counted.
        bool ok = bench.start({}).has_value();
        std::vector<double> base, baseMb, t100k, t1m, mb1m;
        // Interleaved, so a slow spell of the machine falls on all three alike.
        for (int i = 0; ok && i < kRuns; ++i) {
            const auto b = bench.start({});
            const auto h = bench.start(hundredK);
            const auto m = bench.start(million);
            ok = b && h && m;
            if (!ok)
                break;
            base.push_back(b->seconds);
            baseMb.push_back(b->residentMb);
            t100k.push_back(h->seconds);
            t1m.push_back(m->seconds);
            mb1m.push_back(m->residentMb);
            std::fprintf(stderr,
                         "run %d: default %.0f ms %.1f MB, 100k %.0f ms, 1M %.0f ms %.1f MB\n",
                         i + 1, b->seconds * 1000, b->residentMb, h->seconds * 1000,
                         m->seconds * 1000, m->residentMb);
        }
        if (ok) {
            const std::string reference = "default catalogue";
            bool met = bench::print({"start-up, 100k items", bench::median(t100k),
                                     bench::median(base), 1.3, "s", reference});
            met = bench::print({"start-up, 1M items", bench::median(t1m), bench::median(base), 2,
                                "s", reference}) &&
                  met;
            met = bench::print({"start-up memory, 1M items", bench::median(mb1m),
                                bench::median(baseMb), 3, "MB", reference}) &&
                  met;
            status = met ? 0 : 1;
        }
    }
    fsys::remove_all(scratch);
    xcb_disconnect(conn);
    return status;
}
