// Writes one of the program's files through its own code, again and again, until killed:
//   crash_writer KIND FOLDER 0|1   one write of state 0 or 1 (the first also lays the file)
//   crash_writer KIND FOLDER loop  states 1, 0, 1, ... forever; "go" on stdout once started
//   crash_writer KIND FOLDER clean removes what the kills left, as a start-up does
// KIND: catalogue (data.ixo), settings (Tavrin.ini), editor (RPG2000.ini, by the launch
// command), userreg (user.reg, with no wineserver). Every state is large, so a kill lands
// inside a write.
#include "app/core/SettingsFile.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"
#include "launch/Launch.h"
#include "platform/ProfileFile.h"
#include "platform/UserSettings.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/WineRegistry.h"
#include "support/Fakes.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace tavrin;

namespace {

// Text that differs between the states all along its length.
std::string filler(int state, int n, std::size_t size) {
    std::string s = "state" + std::to_string(state) + "-" + std::to_string(n) + "-";
    while (s.size() < size)
        s += static_cast<char>('a' + (s.size() * 7 + static_cast<std::size_t>(state) * 3) % 26);
    return s;
}

// Lines no writer here knows, which each profile write must carry over.
std::string extraLines() {
    std::string s = "[Extra]\r\n";
    for (int n = 0; n < 3000; ++n)
        s += "Line" + std::to_string(n) + "=" + filler(9, n, 100) + "\r\n";
    return s;
}

void writeCatalogue(LinuxFileSystem& fs, int state) {
    Catalogue catalogue;
    catalogue.resetTree([state](FolderTree& tree) {
        TreeNode* root = tree.append(nullptr, "Tavrin");
        for (int f = 0; f < 20; ++f) {
            TreeNode* folder = tree.append(root, filler(state, f, 20));
            for (int i = 0; i < 1000; ++i)
                folder->folder.items.push_back(
                    {"C:\\Games\\" + filler(state, i, 40) + "\\", filler(state, i, 30), pk2000});
        }
    });
    test::ScriptedDialogs dialogs;
    CatalogueFile(fs, dialogs, "C:\\data.ixo").write(catalogue);
}

void writeSettings(LinuxFileSystem& fs, int state) {
    if (!fs.fileExists("C:\\Tavrin.ini"))
        fs.writeFileAtomic("C:\\Tavrin.ini", extraLines());
    ProfileFile ini = readProfile(fs, "C:\\Tavrin.ini");
    UserSettings record;
    for (std::size_t n = 0; n < record.bars.aplButtons.size(); ++n)
        record.bars.aplButtons[n] = {"C:\\" + filler(state, static_cast<int>(n), 1500), true};
    record.search.searchFolder = "C:\\" + filler(state, 99, 1000);
    writeSettingsFile(ini, record);
    writeProfile(fs, "C:\\Tavrin.ini", ini);
}

void writeEditor(LinuxFileSystem& fs, int state) {
    if (!fs.fileExists("C:\\RPG2000.ini"))
        fs.writeFileAtomic("C:\\RPG2000.ini", extraLines());
    test::RecordingShell shell;
    test::ScriptedDialogs dialogs;
    test::MemoryRegistry registry;
    registry.keys["Software\\ASCII\\RPG2000"]["ApplicationPath"] = "C:\\";
    LaunchContext ctx{shell, dialogs, registry, fs};
    const ProjectItem project{"C:\\" + filler(state, 1, 1000) + "\\" + filler(state, 2, 900) + "\\",
                              "game", pk2000};
    openIn2000Editor(ctx, &project, TrySettings{});
}

void writeUserReg(const std::string& folder, LinuxFileSystem& fs, int state) {
    if (!fs.fileExists("C:\\user.reg")) {
        std::string reg = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1\n\n"
                          "#arch=win64\n";
        for (int n = 0; n < 2000; ++n)
            reg += "\n[Software\\\\Other\\\\K" + std::to_string(n) + "] 1796685563\n\"V\"=\"" +
                   filler(8, n, 200) + "\"\n";
        reg += "\n[Software\\\\Tavrin\\\\Crash] 1796685563\n\"Value\"=\"\"\n";
        fs.writeFileAtomic("C:\\user.reg", reg);
    }
    WineRegistry registry(folder);
    std::string data;
    for (int n = 0; n < 200; ++n)
        data += filler(state, n, 100);
    registry.writeString("Software\\Tavrin\\Crash", "Value", data);
}

void write(const std::string& kind, const std::string& folder, LinuxFileSystem& fs, int state) {
    if (kind == "catalogue")
        writeCatalogue(fs, state);
    else if (kind == "settings")
        writeSettings(fs, state);
    else if (kind == "editor")
        writeEditor(fs, state);
    else
        writeUserReg(folder, fs, state);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    const std::string kind = argv[1];
    const std::string folder = argv[2];
    LinuxFileSystem fs(DriveTable({{'C', folder}}));
    if (std::strcmp(argv[3], "clean") == 0) {
        const char* name = kind == "catalogue"  ? "data.ixo"
                           : kind == "settings" ? "Tavrin.ini"
                           : kind == "editor"   ? "RPG2000.ini"
                                                : "user.reg";
        fs.removeInterruptedWrites(std::string("C:\\") + name);
        return 0;
    }
    if (std::strcmp(argv[3], "loop") != 0) {
        write(kind, folder, fs, argv[3][0] == '1' ? 1 : 0);
        return 0;
    }
    std::puts("go");
    std::fflush(stdout);
    for (int state = 1;; state = 1 - state)
        write(kind, folder, fs, state);
}
