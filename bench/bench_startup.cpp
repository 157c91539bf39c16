// The real program from its start to its main window mapped on the X server: with a catalogue
// of 100,000 and of 1,000,000 items against the default catalogue, and its resident memory at
// that moment; with a 50 MB user.reg in its prefix against a small one, and its peak memory.
// It runs itself again under `xvfb-run -a`, which must be installed.
#include "BenchTable.h"
#include "RealProgram.h"
#include "catalogue/CatalogueFile.h"
#include "platform/Cp932.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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
            all[static_cast<std::size_t>(i % folders)]->folder.items.push_back(
                {"Z:\\home\\user\\Games\\" + name + std::to_string(i) + "\\",
                 titles[static_cast<std::size_t>(i) % titles.size()] + std::to_string(i),
                 i % 2 ? pk95 : pk2000});
        }
    });
    return serializeCatalogue(catalogue.tree());
}

// A prefix's user.reg of about `bytes` bytes: sections of programs' settings as Wine writes them,
// with the 2003 editor's key, which the program reads at start, in the middle.
std::string userReg(std::size_t bytes) {
    std::string reg =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
        "\n#arch=win32\n";
    const std::size_t middle = bytes / 2;
    bool placed = false;
    for (int n = 0; reg.size() < bytes; ++n) {
        if (!placed && reg.size() >= middle) {
            reg += "\n[Software\\\\Enterbrain\\\\RPG2003] 1765000000\n#time=1dc0000000000000\n"
                   "\"ApplicationPath\"=\"C:\\\\Program Files\\\\RPG2003\\\\\"\n";
            placed = true;
        }
        reg += "\n[Software\\\\Vendor" + std::to_string(n % 997) + "\\\\Product" +
               std::to_string(n) + "\\\\Settings] 1765000000\n#time=1dc0000000000000\n";
        for (int v = 0; v < 8; ++v)
            reg +=
                "\"Value" + std::to_string(v) + "\"=\"" + std::string(40, char('a' + v)) + "\"\n";
    }
    return reg;
}

struct Run {
    double seconds = 0;
    double residentMb = 0;
    double peakMb = 0;
};

// One start with `catalogue` as data.ixo (none when empty) and `reg` as the prefix's user.reg
// (none when empty), until the main window is mapped, closed as the user closes it; nothing
// when the window did not come or the catalogue did not survive.
std::optional<Run> start(bench::RealProgram& program, const std::string& catalogue,
                         const std::string& reg = {}) {
    fsys::remove(program.folder() / "Tavrin.ini");
    fsys::remove(program.folder() / "data.ixo");
    fsys::remove(program.prefix() / "user.reg");
    if (!catalogue.empty())
        bench::writeAll(program.folder() / "data.ixo", catalogue);
    if (!reg.empty())
        bench::writeAll(program.prefix() / "user.reg", reg);

    const auto begin = bench::Clock::now();
    const bool shown = program.start();
    Run run;
    run.seconds = bench::since(begin);
    run.residentMb = static_cast<double>(bench::statusKb(program.pid(), "VmRSS")) / 1024;
    run.peakMb = static_cast<double>(bench::statusKb(program.pid(), "VmHWM")) / 1024;
    if (!shown || !program.close()) {
        program.kill();
        std::fprintf(stderr, "the program did not show its window or did not close\n");
        return std::nullopt;
    }
    // The close wrote the catalogue back: what was loaded is the whole catalogue.
    if (!catalogue.empty() && bench::readAll(program.folder() / "data.ixo") != catalogue) {
        std::fprintf(stderr, "the catalogue written at close differs from the one read\n");
        return std::nullopt;
    }
    return run;
}

} // namespace

int main(int, char** argv) {
    xcb_connection_t* conn = bench::connectOwnDisplay(argv);
    if (!conn)
        return 1;
    int status = 1;
    {
        bench::Scratch scratch("tavrin_bench_startup");
        bench::RealProgram program(conn, scratch.path);
        const std::string hundredK = catalogueBytes(1000, 100000);
        const std::string million = catalogueBytes(10000, 1000000);
        // A fresh prefix's user.reg is some tens of kilobytes.
        const std::string smallReg = userReg(40 << 10);
        const std::string bigReg = userReg(50 << 20);
        std::fprintf(stderr,
                     "data.ixo: %zu bytes (100k items), %zu bytes (1M items); "
                     "user.reg: %zu and %zu bytes\n",
                     hundredK.size(), million.size(), smallReg.size(), bigReg.size());

        // A first start warms the caches; it is not counted.
        bool ok = start(program, {}, bigReg).has_value();
        std::vector<double> base, baseMb, t100k, t1m, mb1m, regSmall, regSmallMb, regBig, regBigMb;
        // Interleaved, so a slow spell of the machine falls on all alike.
        for (int i = 0; ok && i < kRuns; ++i) {
            const auto b = start(program, {});
            const auto h = start(program, hundredK);
            const auto m = start(program, million);
            const auto rs = start(program, {}, smallReg);
            const auto rb = start(program, {}, bigReg);
            ok = b && h && m && rs && rb;
            if (!ok)
                break;
            base.push_back(b->seconds);
            baseMb.push_back(b->residentMb);
            t100k.push_back(h->seconds);
            t1m.push_back(m->seconds);
            mb1m.push_back(m->residentMb);
            regSmall.push_back(rs->seconds);
            regSmallMb.push_back(rs->peakMb);
            regBig.push_back(rb->seconds);
            regBigMb.push_back(rb->peakMb);
            std::fprintf(stderr,
                         "run %d: default %.0f ms %.1f MB, 100k %.0f ms, 1M %.0f ms %.1f MB; "
                         "user.reg small %.0f ms %.1f MB peak, 50 MB %.0f ms %.1f MB peak\n",
                         i + 1, b->seconds * 1000, b->residentMb, h->seconds * 1000,
                         m->seconds * 1000, m->residentMb, rs->seconds * 1000, rs->peakMb,
                         rb->seconds * 1000, rb->peakMb);
        }
        if (ok) {
            const std::string reference = "default catalogue";
            const std::string smallOne = "small user.reg";
            using bench::median;
            bool met = bench::print(
                {"start-up, 100k items", median(t100k), median(base), 1.3, "s", reference});
            met &= bench::print(
                {"start-up, 1M items", median(t1m), median(base), 1.5, "s", reference});
            met &= bench::print(
                {"start-up memory, 1M items", median(mb1m), median(baseMb), 3, "MB", reference});
            met &= bench::print(
                {"start-up, 50 MB user.reg", median(regBig), median(regSmall), 1.2, "s", smallOne});
            met &= bench::print({"start-up peak memory, 50 MB user.reg", median(regBigMb),
                                 median(regSmallMb), 2, "MB", smallOne});
            status = met ? 0 : 1;
        }
    }
    xcb_disconnect(conn);
    return status;
}
