#include "dialogs/SettingsDialogRules.h"

#include "platform/Cp932.h"
#include "platform/PathText.h"

#include <algorithm>

namespace tavrin {

ColourBars colourBars(Colour colour) {
    return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
            static_cast<int>((colour >> 16) & 0xFF)};
}

Colour composedColour(const ColourBars& bars) {
    const auto part = [](int v) { return static_cast<Colour>(std::clamp(v, 0, 255)); };
    return part(bars.red) + part(bars.green) * 256 + part(bars.blue) * 65536;
}

int radioItem(std::int32_t value, int itemCount) {
    if (value < 0) {
        return -1;
    }
    return std::min<std::int32_t>(value, itemCount - 1);
}

SettingsDialogValues settingsDialogValues(const UserSettings& record) {
    SettingsDialogValues v;
    v.position = record.basic.position;
    v.startSize = radioItem(record.basic.startSize, kStartSizeItems);
    v.dblClick = radioItem(record.basic.dblClick, kDblClickItems);
    v.gdiRenderer = record.basic.gdiRenderer;
    v.rowSelect = record.list.rowSelect;
    v.gridLines = record.list.gridLines;
    v.hotTrack = record.list.hotTrack;
    v.bgColorOn = record.list.bgColorOn;
    v.iconPaths = record.list.listIconPath;
    v.colour = composedColour(colourBars(record.list.bgColor));
    v.useTry = record.trial.useTry;
    v.tryPath = record.trial.tryPath;
    return v;
}

void applySettingsDialog(const SettingsDialogValues& values, UserSettings& record) {
    record.basic.position = values.position;
    record.basic.startSize = values.startSize;
    record.basic.dblClick = values.dblClick;
    record.basic.gdiRenderer = values.gdiRenderer;
    record.list.rowSelect = values.rowSelect;
    record.list.gridLines = values.gridLines;
    record.list.hotTrack = values.hotTrack;
    record.list.bgColorOn = values.bgColorOn;
    record.list.listIconPath = values.iconPaths;
    // Kept even with the option clear, so the colour is there when it is switched on again.
    record.list.bgColor = values.colour;
    record.trial.useTry = values.useTry;
    record.trial.tryPath = values.tryPath;
}

std::string trialFolder(const std::string& pickedFile) {
    // Up to and including the last separator, so the backslash is there already.
    return pathtext::folderPart(pickedFile);
}

std::string iconFileFilter() {
    return sj("抽出可能ファイル(*.ico,*.exe)|*.ico;*.exe|アイコンファイル(*.ico)|*.ico|"
              "実行ファイル(*.exe)|*.exe|すべてのファイル(*.*)|*.*");
}

std::string trialFileFilter() {
    return sj("RPGツクール体験版(RPG2000T.exe)|RPG2000T.exe");
}

} // namespace tavrin
