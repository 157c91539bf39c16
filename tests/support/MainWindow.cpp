#include "support/MainWindow.h"

#include "app/core/CommandGuard.h"

#include <QLabel>
#include <QtTest>

namespace tavrin::test {

MainWindow::MainWindow(const CatalogueTree& catalogue, const std::string& ini) {
    fs.files[kData] = catalogue.file();
    if (!ini.empty()) {
        fs.files[kIni] = ini;
    }
    start();
    select(workspace->catalogue().tree().root());
}

TMainForm& MainWindow::start() {
    form.reset();
    workspace.reset();
    workspace = std::make_unique<Workspace>(services(files, pictures, keys), kApp);
    form = std::make_unique<TMainForm>(*workspace, services(files, pictures, keys), hostFolder);
    runGuarded(dialogs, [this] { workspace->open(); });
    form->showOpenedWorkspace();
    return *form;
}

TMainForm& MainWindow::show() {
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        qFatal("the main window never showed");
    }
    return *form;
}

bool MainWindow::close() {
    const bool closed = form->close();
    form.reset();
    workspace.reset();
    return closed;
}

QString MainWindow::status(int panel) const {
    return control<QLabel>(form.get(), QStringLiteral("StatusPanel%1").arg(panel))->text();
}

TreeNode* MainWindow::node(const std::string& name) const {
    for (TreeNode* n : catalogue().tree().preOrder()) {
        if (n->name == name) {
            return n;
        }
    }
    return nullptr;
}

QModelIndex MainWindow::indexOf(TreeNode* folder) const {
    std::vector<int> path;
    for (TreeNode* n = folder; n; n = catalogue().tree().parentOf(n)) {
        path.insert(path.begin(), n->row());
    }
    QModelIndex index;
    for (int row : path) {
        index = tree()->model()->index(row, 0, index);
    }
    return index;
}

std::string MainWindow::rows() const {
    std::string out;
    for (const ProjectItem& item : rowsOf(catalogue())) {
        out += item.path + "/" + item.title + "/" + std::to_string(int(item.kind)) + " ";
    }
    return out;
}

std::string MainWindow::paths() const {
    std::string out;
    for (const ProjectItem& item : rowsOf(catalogue())) {
        out += item.path;
    }
    return out;
}

} // namespace tavrin::test
