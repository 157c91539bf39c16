#pragma once

#include "platform/Dialogs.h"
#include "platform/UserSettings.h"

#include <array>
#include <string>

namespace tavrin {

class FileSystem;
class FolderTreeView;
class ProjectListModel;
class ProjectListView;

// How the list looks, as the settings and the layout say; the tree always shows the list's
// font and colours.
class ListAppearance {
public:
    ListAppearance(ProjectListView* list, FolderTreeView* tree, ProjectListModel* model,
                   FileSystem& fs);

    void apply(const ListSettings& list);
    // The list's looks as the settings dialog edits them.
    void readInto(ListSettings& list) const;
    // An icon that cannot be read leaves the kind's default icon.
    void loadIcons(const std::array<std::string, 2>& listIconPath);

    FontChoice font() const;
    void setFont(const FontChoice& chosen);
    Colour background() const { return mBackground; }

private:
    ProjectListView* mList;
    FolderTreeView* mTree;
    ProjectListModel* mModel;
    FileSystem& mFs;
    Colour mBackground = kWindowColour;
    Colour mFontColour = kWindowTextColour;
};

} // namespace tavrin
