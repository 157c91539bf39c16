#pragma once

#include "catalogue/CatalogueListener.h"

#include <QObject>

#include <cstddef>
#include <memory>
#include <vector>

namespace tavrin {

class Catalogue;
class TreeNode;

// A header click's sort of the shown folder. A large folder is sorted on threads of its own
// while the window goes on answering, with a busy cursor; the rows then take the order a sort
// on the spot would have given them. Rows that changed meanwhile are sorted again, and a later
// click wins over an earlier one.
class ListSort : public QObject, private CatalogueListener {
    Q_OBJECT
public:
    ListSort(Catalogue& catalogue, QObject* parent);
    // Waits for the threads, told to stop.
    ~ListSort() override;

    void sortShown(bool descending);
    bool running() const { return mLatest != nullptr; }
    // From how many rows a sort leaves the user-interface thread.
    void setBackgroundFrom(std::size_t rows) { mBackgroundFrom = rows; }

signals:
    void sorted();

private:
    struct Job;
    void start(TreeNode* folder, bool descending);
    void finish(const std::shared_ptr<Job>& job);
    void settle();
    void folderAboutToBeRemoved(TreeNode* node) override;
    void treeAboutToReset() override;

    Catalogue& mCatalogue;
    std::size_t mBackgroundFrom = 200000;
    std::vector<std::shared_ptr<Job>> mJobs; // threads not yet joined
    std::shared_ptr<Job> mLatest;            // the one whose order counts
};

} // namespace tavrin
