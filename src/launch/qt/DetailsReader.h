#pragma once

#include "catalogue/ProjectItem.h"
#include "launch/ProjectDetails.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tavrin {

class FileSystem;
class Registry;

// What the reader found in a project's folder: first everything but its size, then the size.
struct DetailsAnswer {
    std::uint64_t serial = 0;
    bool sizeOnly = false;
    QImage picture;
    QString pictureNote;
    QStringList needs;
    std::optional<int> codePage; // a 2000 game's, told from its files
    details::FolderSize size;
};

// Reads project folders for the details pane on a worker of its own, one at a time and only the
// latest asked for: a request made while it works replaces any older one still waiting, so a
// quick walk down the list reads only the rows it stops at. Answers reach `told` on the thread
// of `context`; none after the reader is destroyed.
class DetailsReader {
public:
    DetailsReader(QObject* context, FileSystem& fs, Registry& registry,
                  std::function<void(const DetailsAnswer&)> told);
    // Waits for the worker's current step.
    ~DetailsReader();
    DetailsReader(const DetailsReader&) = delete;
    DetailsReader& operator=(const DetailsReader&) = delete;

    // `folder` with its trailing backslash.
    void ask(std::uint64_t serial, std::string folder, ProjectKind kind);

private:
    class Worker;
    std::unique_ptr<Worker> mWorker;
};

} // namespace tavrin
