#include "app/core/SettingsFile.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"

namespace tavrin {

namespace {

constexpr const char* kGazKeys[4] = {"act_Path", "ccc_Path", "luk_Path", "myw_Path"};

std::string iconKey(int i) {
    return "Icon[" + std::to_string(i) + "]";
}
std::string aplButtonKey(int n) {
    return "AplButton" + std::to_string(n);
}
std::string aplChkKey(int n) {
    return "AplChk" + std::to_string(n);
}

} // namespace

void readSettingsFile(const ProfileFile& file, UserSettings& record) {
    BasicSettings& b = record.basic;
    b.position = file.readBool("B_Setting", "position", true);
    b.tasktray = file.readBool("B_Setting", "tasktray", false);
    b.invisible = file.readBool("B_Setting", "invisible", true);
    b.startSize = file.readInteger("B_Setting", "startsize", 0);
    b.dblClick = file.readInteger("B_Setting", "dblclick", 0);
    b.gdiRenderer = file.readBool("B_Setting", "gdirenderer", true);

    ListSettings& l = record.list;
    l.rowSelect = file.readBool("L_Setting", "rowselect", true);
    l.gridLines = file.readBool("L_Setting", "gridline", true);
    l.hotTrack = file.readBool("L_Setting", "hottrack", false);
    l.bgColorOn = file.readBool("L_Setting", "bgcolor", false);
    l.bgColor = static_cast<Colour>(file.readInteger("ListView", "BGColor", 0xFFFFFF));
    for (int i = 0; i < 2; ++i) {
        l.listIconPath[static_cast<std::size_t>(i)] = file.readString("ListView", iconKey(i), "");
    }

    record.trial.useTry = file.readBool("Try_Setting", "use", false);
    record.trial.tryPath = file.readString("Try_Setting", "path", "");

    SearchSettings& s = record.search;
    s.searchFolder = file.readString("RPGSearch", "Fpath", "");
    s.insert = file.readBool("RPGSearch", "Insert", true);
    s.dupChk = file.readBool("RPGSearch", "DupChk", true);
    s.matchKinds = 0;
    if (file.readBool("RPGSearch", "Match_2k", true)) {
        s.matchKinds |= mk2000;
    }
    if (file.readBool("RPGSearch", "Match_95", false)) {
        s.matchKinds |= mk95;
    }

    BarSettings& bars = record.bars;
    bars.nmlBarVisible = file.readBool("ToolBar", "Nml", true);
    bars.aplBarVisible = file.readBool("ToolBar", "Apl", false);
    bars.gazBarVisible = file.readBool("ToolBar", "Gaz", false);
    for (int n = 1; n <= 8; ++n) {
        AplButtonEntry& e = bars.aplButtons[static_cast<std::size_t>(n - 1)];
        e.path = file.readString("AplBar", aplButtonKey(n), "");
        e.shown = file.readBool("AplBar", aplChkKey(n), false);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        bars.gazToolPath[i] = file.readString("GazBar", kGazKeys[i], "");
    }
}

void writeSettingsFile(ProfileFile& file, const UserSettings& record) {
    const BasicSettings& b = record.basic;
    file.writeBool("B_Setting", "position", b.position);
    file.writeBool("B_Setting", "tasktray", b.tasktray);
    file.writeBool("B_Setting", "invisible", b.invisible);
    file.writeInteger("B_Setting", "startsize", b.startSize);
    file.writeInteger("B_Setting", "dblclick", b.dblClick);
    file.writeBool("B_Setting", "gdirenderer", b.gdiRenderer);

    const ListSettings& l = record.list;
    file.writeBool("L_Setting", "rowselect", l.rowSelect);
    file.writeBool("L_Setting", "gridline", l.gridLines);
    file.writeBool("L_Setting", "hottrack", l.hotTrack);
    file.writeBool("L_Setting", "bgcolor", l.bgColorOn);
    for (int i = 0; i < 2; ++i) {
        file.writeString("ListView", iconKey(i), l.listIconPath[static_cast<std::size_t>(i)]);
    }

    file.writeBool("Try_Setting", "use", record.trial.useTry);
    file.writeString("Try_Setting", "path", record.trial.tryPath);

    // Placeholders that writeWindowLayout overwrites with the real widths.
    file.writeInteger("Columns", "colum1", 350);
    file.writeInteger("Columns", "colum2", 150);

    const SearchSettings& s = record.search;
    file.writeString("RPGSearch", "Fpath", s.searchFolder);
    file.writeBool("RPGSearch", "Insert", s.insert);
    file.writeBool("RPGSearch", "DupChk", s.dupChk);
    file.writeBool("RPGSearch", "Match_2k", (s.matchKinds & mk2000) != 0);
    file.writeBool("RPGSearch", "Match_95", (s.matchKinds & mk95) != 0);

    const BarSettings& bars = record.bars;
    file.writeBool("ToolBar", "Nml", bars.nmlBarVisible);
    file.writeBool("ToolBar", "Apl", bars.aplBarVisible);
    file.writeBool("ToolBar", "Gaz", bars.gazBarVisible);
    for (int n = 1; n <= 8; ++n) {
        const AplButtonEntry& e = bars.aplButtons[static_cast<std::size_t>(n - 1)];
        file.writeString("AplBar", aplButtonKey(n), e.path);
        file.writeBool("AplBar", aplChkKey(n), e.shown);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        file.writeString("GazBar", kGazKeys[i], bars.gazToolPath[i]);
    }
}

} // namespace tavrin
