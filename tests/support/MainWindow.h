// The main window over the stand-ins, its own files in memory, and what its tests read from it.
#pragma once

#include "app/Main.h"
#include "catalogue/FolderTreeView.h"
#include "catalogue/ProjectListView.h"
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
    // Destroyed before the services it was given.
    std::unique_ptr<TMainForm> form;
    // Pictures in place of the stand-in's, for windows started after it is set.
    Icons* pictures = nullptr;
    // Files in place of the stand-in's (the program's own stay in `fs`), likewise.
    FileSystem* files = nullptr;
    // A registry in place of the stand-in's, likewise.
    Registry* keys = nullptr;

    MainWindow() = default;
    // Started on this catalogue, and these settings when given, with the root's rows listed.
    explicit MainWindow(const CatalogueTree& catalogue, const std::string& ini = {});

    // A new window over the files as they are now; the old one goes first.
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
    void select(TreeNode* folder) { form->catalogue().selectFolder(folder); }
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
