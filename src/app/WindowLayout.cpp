#include "app/WindowLayout.h"

#include "platform/Cp932.h"
#include "platform/ProfileFile.h"

namespace tavrin {

WindowLayout LoadWindowLayout(const ProfileFile& file, std::int32_t currentTreeWidth) {
    WindowLayout layout;
    if (file.sectionExists("Position")) {
        WindowLayout::Position p;
        // disx holds the top edge and disy the left edge.
        p.top = file.readInteger("Position", "disx", 0);
        p.left = file.readInteger("Position", "disy", 0);
        p.width = file.readInteger("Position", "winx", 0);
        p.height = file.readInteger("Position", "winy", 0);
        layout.position = p;
    }
    if (file.sectionExists("Columns")) {
        WindowLayout::Columns c;
        c.colum1 = file.readInteger("Columns", "colum1", 350);
        c.colum2 = file.readInteger("Columns", "colum2", 150);
        layout.columns = c;
    }
    if (file.sectionExists("ToolBarPos")) {
        WindowLayout::ToolBarPos t;
        t.nml = {file.readInteger("ToolBarPos", "NmlPosx", 0),
                 file.readInteger("ToolBarPos", "NmlPosy", 0)};
        t.apl = {file.readInteger("ToolBarPos", "AplPosx", 0),
                 file.readInteger("ToolBarPos", "AplPosy", 0)};
        t.gaz = {file.readInteger("ToolBarPos", "GazPosx", 0),
                 file.readInteger("ToolBarPos", "GazPosy", 0)};
        layout.toolBarPos = t;
    }
    if (file.sectionExists("ListView")) {
        WindowLayout::ListFont f;
        f.name = file.readString("ListView", "FontName", sj("ＭＳ Ｐゴシック"));
        f.color = static_cast<Colour>(
            file.readInteger("ListView", "FontColor", static_cast<std::int32_t>(clWindowText)));
        f.size = file.readInteger("ListView", "FontSize", 9);
        layout.listFont = f;
    }
    if (file.sectionExists("TreeView")) {
        WindowLayout::Tree t;
        t.width = file.readInteger("TreeView", "Width", currentTreeWidth);
        t.index = file.readInteger("TreeView", "Index", 0);
        layout.tree = t;
    }
    return layout;
}

void SaveWindowLayout(ProfileFile& file, const WindowLayout& now, const SettingsRecord& record,
                      Colour listColour) {
    if (record.basic.position) {
        const auto& p = now.position.value();
        file.writeInteger("Position", "disx", p.top);
        file.writeInteger("Position", "disy", p.left);
        file.writeInteger("Position", "winx", p.width);
        file.writeInteger("Position", "winy", p.height);
    } else {
        file.eraseSection("Position");
    }

    const auto& c = now.columns.value();
    file.writeInteger("Columns", "colum1", c.colum1);
    file.writeInteger("Columns", "colum2", c.colum2);

    const auto& t = now.toolBarPos.value();
    file.writeInteger("ToolBarPos", "NmlPosx", t.nml.x);
    file.writeInteger("ToolBarPos", "NmlPosy", t.nml.y);
    file.writeInteger("ToolBarPos", "AplPosx", t.apl.x);
    file.writeInteger("ToolBarPos", "AplPosy", t.apl.y);
    file.writeInteger("ToolBarPos", "GazPosx", t.gaz.x);
    file.writeInteger("ToolBarPos", "GazPosy", t.gaz.y);

    const Colour bg = record.list.bgColorOn ? listColour : 0xFFFFFF;
    file.writeInteger("ListView", "BGColor", static_cast<std::int32_t>(bg));
    const auto& f = now.listFont.value();
    file.writeString("ListView", "FontName", f.name);
    file.writeInteger("ListView", "FontColor", static_cast<std::int32_t>(f.color));
    file.writeInteger("ListView", "FontSize", f.size);

    const auto& tree = now.tree.value();
    file.writeInteger("TreeView", "Index", tree.index);
    file.writeInteger("TreeView", "Width", tree.width);
}

} // namespace tavrin
