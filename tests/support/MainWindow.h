// The main window over the stand-ins, its own files in memory, and what its tests read from it.
#pragma once

#include "app/Main.h"
#include "app/core/Workspace.h"
#include "catalogue/qt/FolderTreeView.h"
#include "catalogue/qt/ProjectListView.h"
#include "support/CatalogueTree.h"
#include "support/Fakes.h"
#include "support/Widgets.h"

#include <QLineEdit>

#include <memory>
#include <string>

namespace tavrin::test {

// The program's folder and its two files.
inline const std::string kApp = "Z:\\app\\";
inline const std::string kData = kApp + "data.ixo";
inline const std::string kIni = kApp + "Tavrin.ini";

class MainWindow : public FakeServices {
public:
    // Both destroyed before the services they were given, the window first.
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<TMainForm> form;
    // Pictures in place of the stand-in's, for windows started after it is set.
    Icons* pictures = nullptr;
    // Files in place of the stand-in's (the program's own stay in `fs`), likewise.
    FileSystem* files = nullptr;
    // A registry in place of the stand-in's, likewise.
    Registry* keys = nullptr;
    // The program's folder as the about box names it, likewise.
    QString hostFolder;

    MainWindow() = default;
    // Started on this catalogue, and these settings when given, with the root's rows listed.
    explicit MainWindow(const CatalogueTree& catalogue, const std::string& ini = {});

    // A workspace opened on the files as they are now, and a new window on it; the old ones go
    // first.
    TMainForm& start();
    // Shown and on the screen; a window that never gets there ends the run.
    TMainForm& show();
    // Closed and let go; false when it refused to close.
    bool close();

    FolderTreeView* tree() const { return control<FolderTreeView>(form.get(), "TreeView"); }
    ProjectListView* list() const { return control<ProjectListView>(form.get(), "ProjectList"); }
    // The text of the status bar's panel 0 (the count) or 1 (the focused title).
    QString status(int panel) const;

    // The first folder of that name in outline order; null when there is none.
    TreeNode* node(const std::string& name) const;
    Catalogue& catalogue() const { return workspace->catalogue(); }
    void select(TreeNode* folder) { catalogue().selectFolder(folder); }
    // The tree view's index of the folder.
    QModelIndex indexOf(TreeNode* folder) const;
    // The name editor open in the tree; null when none is.
    QLineEdit* editor() const { return tree()->viewport()->findChild<QLineEdit*>(); }

    // The listed rows as "path/title/kind " each, and their paths alone.
    std::string rows() const;
    std::string paths() const;

    // Whether the settings file holds `text`.
    bool saved(const std::string& text) { return fs.files[kIni].find(text) != std::string::npos; }
};

} // namespace tavrin::test
