// The find box over catalogues of 100,000 and 1,000,000 items in 1,000 folders, read as a start
// reads them (each folder keeping its records): the real box, list, model and tree, each key of
// a few three-letter words typed into the box, timed from the key until the list stands painted
// with the answer, each key's time the median of three runs; the median and the longest over
// the keys against the 30 ms (100,000) and 150 ms (1,000,000) a keystroke may take, the goal
// being that time itself. And the window's longest wait while a word is typed at once, its keys
// overtaking each other's searches.
#include "BenchTable.h"
#include "LongestWait.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/CatalogueFind.h"
#include "catalogue/qt/FindBar.h"
#include "catalogue/qt/FolderTreeModel.h"
#include "catalogue/qt/FolderTreeView.h"
#include "catalogue/qt/ProjectListModel.h"
#include "catalogue/qt/ProjectListView.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace tavrin;

namespace {

// Paths of ASCII and CP932 folder names, titles Japanese (half- and full-width) or ASCII.
std::vector<ProjectItem> makeItems(int count) {
    const std::vector<std::string> words = {"Games",    "RPG",     "Tkool2000",    "Projects",
                                            "backup",   "Work",    "old",          sj("ゲーム"),
                                            sj("作品"), sj("ﾃｽﾄ"), sj("ツクール"), sj("表示")};
    const std::vector<std::string> titles = {"Quest ", sj("勇者の冒険 第"), sj("ﾃｽﾄﾌﾟﾚｲ "),
                                             sj("夢の続き"), "Dungeon "};
    std::vector<ProjectItem> items;
    items.reserve(static_cast<std::size_t>(count));
    std::uint32_t random = 20261209;
    const auto pick = [&](std::size_t n) {
        random = random * 1664525 + 1013904223;
        return static_cast<std::size_t>(random >> 8) % n;
    };
    for (int i = 0; i < count; ++i) {
        std::string path = "Z:\\home\\user\\";
        for (int depth = 0; depth < 3; ++depth) {
            path += words[pick(words.size())] + std::to_string(pick(100)) + "\\";
        }
        items.push_back({std::move(path), titles[pick(titles.size())] + std::to_string(i),
                         i % 3 ? pk2000 : pk95});
    }
    return items;
}

std::string catalogueBytes(const std::vector<ProjectItem>& items, int folders) {
    Catalogue catalogue;
    catalogue.resetTree([&](FolderTree& tree) {
        TreeNode* root = tree.append(nullptr, "Tavrin");
        std::vector<TreeNode*> all{root};
        while (static_cast<int>(all.size()) < folders) {
            all.push_back(tree.append(root, sj("フォルダ") + std::to_string(all.size())));
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            all[i % all.size()]->folder.Items.push_back(items[i]);
        }
    });
    return serializeCatalogue(catalogue.tree());
}

// The list's side of the main window with the tree beside it.
struct FindWindow {
    Catalogue catalogue;
    FolderTreeModel treeModel{catalogue};
    ProjectListModel model{catalogue};
    QWidget window;
    FolderTreeView* tree = new FolderTreeView(&window);
    ProjectListView* list = new ProjectListView(&window);
    FindBar* bar = nullptr;

    explicit FindWindow(std::string bytes) {
        ParsedCatalogue parsed = parseCatalogueFile(std::move(bytes));
        catalogue.resetTree([&](FolderTree& t) { t.adopt(*parsed.tree); });
        catalogue.selectFolder(catalogue.tree().root());
        tree->setModel(&treeModel);
        list->setModel(&model);
        list->setFont(designedFont(13));
        list->setColumnWidth(ProjectListModel::PathColumn, 360);
        bar = new FindBar(catalogue, &model, list, tree, &window);
        auto* row = new QHBoxLayout(&window);
        row->addWidget(tree);
        row->addWidget(bar, 1);
        window.resize(1000, 700);
        window.show();
        QApplication::processEvents();
    }

    QLineEdit* box() const { return bar->findChild<QLineEdit*>(); }

    void key(const QString& text) const {
        const int code = text.at(0).isLetter() && text.at(0).unicode() < 0x80
                             ? Qt::Key_A + (text.at(0).toUpper().unicode() - 'A')
                             : Qt::Key_unknown;
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(box(), &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(box(), &release);
    }

    // Types the key and waits until the answer stands painted; its time.
    double answer(const QString& text) {
        bool answered = false;
        const auto connection = QObject::connect(bar, &FindBar::answered, [&] { answered = true; });
        const double taken = bench::seconds([&] {
            key(text);
            while (!answered) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            list->viewport()->repaint();
        });
        QObject::disconnect(connection);
        return taken;
    }

    void clear() const {
        box()->clear();
        QApplication::processEvents();
    }
};

std::size_t matching(const std::vector<ProjectItem>& items, const std::string& word) {
    const std::string needle = foldForFind(word);
    std::size_t n = 0;
    for (const ProjectItem& item : items) {
        n += holdsFolded(foldForFind(item.Title), needle) ||
             holdsFolded(foldForFind(item.Path), needle);
    }
    return n;
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

bool measure(int count, double limit, const char* name) {
    const std::vector<ProjectItem> items = makeItems(count);
    FindWindow w(catalogueBytes(items, 1000));
    const long before = residentKb();
    // The index is made when the box opens; the first key waits for it only when typed at once.
    const double first = bench::seconds([&] {
        w.bar->open();
        w.answer(QStringLiteral("q"));
    });
    std::fprintf(stderr, "%s: open and first key %.1f ms, index %ld MB\n", name, first * 1000,
                 (residentKb() - before) / 1024);
    w.clear();

    // The search alone, for the notes: what of a key's time is the worker's.
    const auto index = FindIndex::build(findSource(w.catalogue.tree()));
    for (const char* prefix : {"q", "qu", "que", "o", "ol", "old", "g", "ga", "gam"}) {
        std::size_t hits = 0;
        const double taken = bench::medianSeconds([&] { hits = index->find(prefix).size(); }, 3);
        std::fprintf(stderr, "%s: the search alone for %s: %.1f ms, %zu rows\n", name, prefix,
                     taken * 1000, hits);
    }

    const QStringList words = {QStringLiteral("que"), QStringLiteral("ﾃｽﾄ"), QStringLiteral("old"),
                               QStringLiteral("ゲーム"), QStringLiteral("gam")};
    // Each key's time over the runs, in typing order.
    std::vector<std::vector<double>> runs;
    bool right = true;
    for (int run = 0; run < 3; ++run) {
        std::vector<double> keys;
        for (const QString& word : words) {
            for (const QChar c : word) {
                keys.push_back(w.answer(c));
                std::fprintf(stderr, "%s: key %s (%d rows) %.1f ms\n", name,
                             qPrintable(w.box()->text()), w.model.rowCount(), keys.back() * 1000);
            }
            const std::size_t expected = run ? 0 : matching(items, toCp932(word));
            if (!run && static_cast<std::size_t>(w.model.rowCount()) != expected) {
                std::fprintf(stderr, "%s: %s found %d, not %zu\n", name, qPrintable(word),
                             w.model.rowCount(), expected);
                right = false;
            }
            std::fprintf(stderr, "%s: %s %d rows\n", name, qPrintable(word), w.model.rowCount());
            w.clear();
        }
        runs.push_back(keys);
    }
    // The machines are shared: a key's figure is its median over the runs.
    std::vector<double> keys;
    for (std::size_t k = 0; k < runs[0].size(); ++k) {
        keys.push_back(bench::median({runs[0][k], runs[1][k], runs[2][k]}));
    }
    // A word typed at once: each key overtakes the last one's search.
    double longest = 0;
    for (const QString& word : words) {
        bool answered = false;
        const auto connection = QObject::connect(w.bar, &FindBar::answered,
                                                 [&] { answered = w.box()->text() == word; });
        longest = std::max(longest, bench::longestWait(
                                        [&] {
                                            for (const QChar c : word) {
                                                w.key(c);
                                            }
                                        },
                                        [&] { return answered; }));
        QObject::disconnect(connection);
        w.clear();
    }
    const std::string size = count >= 1000000 ? "1,000,000" : "100,000";
    bool met = bench::print({"find: a key's answer at " + size + ", median", bench::median(keys),
                             limit, 1.0, "s", "the time a key may take"});
    met &= bench::print({"find: a key's answer at " + size + ", longest",
                         *std::max_element(keys.begin(), keys.end()), limit, 1.0, "s",
                         "the time a key may take"});
    met &= bench::print({"find: the window's longest wait, a word typed at once, " + size, longest,
                         limit, 1.0, "s", "the time a key may take"});
    return met && right;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool met = measure(100000, 0.030, "100k");
    met &= measure(1000000, 0.150, "1m");
    return met ? 0 : 1;
}
