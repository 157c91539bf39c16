#include "catalogue/qt/ListAppearance.h"

#include "catalogue/qt/FolderTreeView.h"
#include "catalogue/qt/ProjectListModel.h"
#include "catalogue/qt/ProjectListView.h"
#include "platform/AppError.h"
#include "platform/FileSystem.h"
#include "platform/IconExtract.h"
#include "platform/MulDiv.h"
#include "platform/qt/AppIcons.h"
#include "platform/qt/QtLook.h"

#include <QApplication>
#include <QHeaderView>
#include <QPixmap>

#include <algorithm>
#include <optional>

namespace tavrin {

ListAppearance::ListAppearance(ProjectListView* list, FolderTreeView* tree, ProjectListModel* model,
                               FileSystem& fs)
    : mList(list), mTree(tree), mModel(model), mFs(fs) {}

void ListAppearance::apply(const ListSettings& list) {
    mList->setRowSelect(list.rowSelect);
    mList->setShowGrid(list.gridLines);
    mList->setHotTrack(list.hotTrack);

    mBackground = list.bgColorOn ? list.bgColor : kWindowColour;
    const QPalette& system = QApplication::palette();
    const QColor background = toQColor(mBackground, system, QPalette::Base);
    const QColor text = toQColor(mFontColour, system, QPalette::Text);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(mList), static_cast<QAbstractItemView*>(mTree)}) {
        QPalette p = view->palette();
        p.setColor(QPalette::Base, background);
        p.setColor(QPalette::Text, text);
        view->setPalette(p);
    }
    mTree->setFont(mList->font());
}

void ListAppearance::readInto(ListSettings& list) const {
    list.rowSelect = mList->rowSelect();
    list.gridLines = mList->showGrid();
    list.hotTrack = mList->hotTrack();
    list.bgColorOn = mBackground != kWindowColour;
    list.bgColor = mBackground == kWindowColour ? 0x7FFFFFFF : mBackground;
}

void ListAppearance::loadIcons(const std::array<std::string, 2>& listIconPath) {
    auto icons = appicons::defaultListIcons();
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string& path = listIconPath[k];
        if (path.empty()) {
            continue;
        }
        std::optional<std::string> ico;
        try {
            const auto bytes = mFs.readFile(path);
            ico = bytes ? firstSmallIconAsIco(*bytes) : std::nullopt;
        } catch (const AppError&) {
            // A special file or a huge one: the default icon stays.
        }
        QPixmap pm;
        if (ico && pm.loadFromData(reinterpret_cast<const uchar*>(ico->data()),
                                   static_cast<uint>(ico->size()), "ICO")) {
            icons[k + 1] = QIcon(pm.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
    }
    mModel->setIcons(icons);
}

FontChoice ListAppearance::font() const {
    FontChoice out = fromQFont(mList->font(), mList->logicalDpiY());
    out.colour = mFontColour;
    return out;
}

void ListAppearance::setFont(const FontChoice& chosen) {
    // A hand-edited settings file may hold any size; beyond these it helps nobody.
    const int points = std::clamp(chosen.size, 1, 400);
    const QFont font = toQFont(chosen, mList->font(), mulDiv(points, mList->logicalDpiY(), 72));
    mList->setFont(font);
    mFontColour = chosen.colour;
    mList->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 5);
}

} // namespace tavrin
