#include "app/core/WindowLayout.h"

#include "platform/Cp932.h"
#include "platform/ProfileFile.h"

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {

// Stored values are any 32-bit numbers; their sums are taken in 64 bits.
using Wide = std::int64_t;

struct Box {
    Wide left, top, right, bottom; // right and bottom exclusive
};

Box boxOf(const ScreenRect& r) {
    return {r.left, r.top, Wide{r.left} + r.width, Wide{r.top} + r.height};
}

// The part of the caption that must lie on one screen for a person to grab it.
constexpr Wide kGripWidth = 32;
constexpr Wide kCaptionHeight = 24;

bool captionReachable(const Box& w, const Box& s) {
    const Wide wide = std::min(w.right, s.right) - std::max(w.left, s.left);
    const Wide captionBottom = std::min(w.bottom, w.top + kCaptionHeight);
    return wide >= std::min(w.right - w.left, kGripWidth) && w.top >= s.top &&
           captionBottom <= s.bottom;
}

Wide gap(Wide lo, Wide hi, Wide from, Wide to) {
    return lo > to ? lo - to : from > hi ? from - hi : 0;
}

std::int32_t narrow(Wide v) {
    return static_cast<std::int32_t>(std::clamp<Wide>(v, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}

} // namespace

ScreenRect placeOnScreen(const WindowLayout::Position& stored,
                         const std::vector<ScreenRect>& screens) {
    if (screens.empty()) {
        return {stored.left, stored.top, std::max(stored.width, 0), std::max(stored.height, 0)};
    }
    Box desktop = boxOf(screens.front());
    for (const ScreenRect& s : screens) {
        const Box b = boxOf(s);
        desktop = {std::min(desktop.left, b.left), std::min(desktop.top, b.top),
                   std::max(desktop.right, b.right), std::max(desktop.bottom, b.bottom)};
    }
    const Wide width =
        std::clamp<Wide>(stored.width, 0, std::max<Wide>(desktop.right - desktop.left, 1));
    const Wide height =
        std::clamp<Wide>(stored.height, 0, std::max<Wide>(desktop.bottom - desktop.top, 1));
    const Box window{stored.left, stored.top, Wide{stored.left} + width, Wide{stored.top} + height};

    const ScreenRect* nearest = nullptr;
    Wide nearestDistance = std::numeric_limits<Wide>::max();
    for (const ScreenRect& s : screens) {
        const Box b = boxOf(s);
        if (captionReachable(window, b)) {
            return {stored.left, stored.top, narrow(width), narrow(height)};
        }
        const Wide d = gap(window.left, window.right, b.left, b.right) +
                       gap(window.top, window.bottom, b.top, b.bottom);
        if (d < nearestDistance) {
            nearestDistance = d;
            nearest = &s;
        }
    }
    const Box s = boxOf(*nearest);
    const Wide w = std::min(width, s.right - s.left);
    const Wide h = std::min(height, s.bottom - s.top);
    // A window of no stored size still shows the part of its caption a person grabs.
    const Wide reachW = std::max(w, std::min(kGripWidth, s.right - s.left));
    const Wide reachH = std::max(h, std::min(kCaptionHeight, s.bottom - s.top));
    const Wide left = std::clamp<Wide>(window.left, s.left, s.right - reachW);
    const Wide top = std::clamp<Wide>(window.top, s.top, s.bottom - reachH);
    return {narrow(left), narrow(top), narrow(w), narrow(h)};
}

WindowLayout readWindowLayout(const ProfileFile& file, std::int32_t currentTreeWidth) {
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
        c.titleWidth = file.readInteger("Columns", "colum1", 350);
        c.pathWidth = file.readInteger("Columns", "colum2", 150);
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
        f.color = static_cast<Colour>(file.readInteger(
            "ListView", "FontColor", static_cast<std::int32_t>(kWindowTextColour)));
        f.size = file.readInteger("ListView", "FontSize", 9);
        layout.listFont = f;
    }
    if (file.sectionExists("TreeView")) {
        WindowLayout::Tree t;
        t.width = file.readInteger("TreeView", "Width", currentTreeWidth);
        t.index = file.readInteger("TreeView", "Index", 0);
        layout.tree = t;
    }
    if (file.sectionExists("DetailsPane")) {
        WindowLayout::Details d;
        d.visible = file.readBool("DetailsPane", "Visible", d.visible);
        d.size = file.readInteger("DetailsPane", "Size", d.size);
        layout.details = d;
    }
    return layout;
}

void writeWindowLayout(ProfileFile& file, const WindowLayout& now, const UserSettings& record,
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
    file.writeInteger("Columns", "colum1", c.titleWidth);
    file.writeInteger("Columns", "colum2", c.pathWidth);

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

    if (now.details) {
        file.writeBool("DetailsPane", "Visible", now.details->visible);
        file.writeInteger("DetailsPane", "Size", now.details->size);
    }
}

} // namespace tavrin
