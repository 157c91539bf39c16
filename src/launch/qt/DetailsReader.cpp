#include "launch/qt/DetailsReader.h"

#include "launch/GameCodePage.h"
#include "launch/GameFiles.h"
#include "launch/GameNeeds.h"
#include "launch/RememberedRegistry.h"
#include "launch/SaveGames.h"
#include "launch/qt/TitlePicture.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtText.h"

#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <mutex>

namespace tavrin {

namespace {

using Clock = std::chrono::steady_clock;

// Counting a folder on a slow disk stops here and says "at least".
constexpr auto kLongestCount = std::chrono::seconds(3);
// Whether the RTP is installed changes when the user installs it, not from row to row.
constexpr auto kRegistryKept = std::chrono::seconds(30);

struct Request {
    std::uint64_t serial = 0;
    std::string folder;
    ProjectKind kind = pkNone;
};

} // namespace

class DetailsReader::Worker {
public:
    Worker(QObject* context, FileSystem& fs, Registry& registry,
           std::function<void(const DetailsAnswer&)> told)
        : mContext(context), mFs(fs), mRegistry(registry, kRegistryKept), mTold(std::move(told)) {
        mPool.setMaxThreadCount(1);
    }

    ~Worker() {
        {
            std::lock_guard lock(mMutex);
            mClosing = true;
            mPending.reset();
        }
        mPool.waitForDone();
    }

    void ask(Request request) {
        mLatest = request.serial;
        std::lock_guard lock(mMutex);
        mPending = std::move(request);
        if (!mRunning) {
            mRunning = true;
            mPool.start([this] { work(); });
        }
    }

private:
    void work() {
        for (;;) {
            Request r;
            {
                std::lock_guard lock(mMutex);
                if (!mPending || mClosing) {
                    mRunning = false;
                    return;
                }
                r = std::move(*mPending);
                mPending.reset();
            }
            load(r);
        }
    }

    bool stale(std::uint64_t serial) const { return mClosing || mLatest != serial; }

    void post(DetailsAnswer answer) {
        // Under the lock that closing takes: nothing is posted once the reader is going.
        std::lock_guard lock(mMutex);
        if (mClosing) {
            return;
        }
        QMetaObject::invokeMethod(
            mContext, [told = mTold, answer = std::move(answer)] { told(answer); },
            Qt::QueuedConnection);
    }

    // Nothing a folder holds ends the worker: whatever cannot be read is shown as not there, and
    // no exception leaves the thread.
    void load(const Request& r) {
        DetailsAnswer answer;
        answer.serial = r.serial;
        try {
            if (const std::optional<details::PictureFile> file =
                    details::findTitlePicture(mFs, r.folder, r.kind)) {
                const std::optional<std::string> bytes =
                    mFs.readFile(file->path, details::kPictureFileLimit);
                if (bytes) {
                    answer.picture = decodeTitlePicture(*bytes, file->format, answer.pictureNote);
                }
                if (answer.picture.isNull() && answer.pictureNote.isEmpty()) {
                    answer.pictureNote = qs(details::unreadablePictureLine());
                }
            }
        } catch (...) {
            answer.pictureNote = qs(details::unreadablePictureLine());
        }
        if (stale(r.serial)) {
            return;
        }
        std::optional<GameNeeds> needs;
        if (r.kind == pk2000) {
            try {
                needs = readGameNeeds(mFs, mRegistry, r.folder);
            } catch (...) {
                needs.reset();
            }
            if (stale(r.serial)) {
                return;
            }
            const std::vector<std::string> noFolders;
            try {
                answer.codePage =
                    gamecodepage::read(mFs, r.folder, needs ? needs->rtpFolders : noFolders);
            } catch (...) {
                answer.codePage = codepage::kJapanese; // as the runtime runs when nothing decides
            }
        }
        for (const std::string& line : details::needsLines(r.kind, needs)) {
            answer.needs << qs(line);
        }
        if (r.kind == pk2000) {
            try {
                answer.needs << qs(saveGamesLine(readSaveGames(mFs, r.folder)));
            } catch (...) {
                // A folder that cannot be listed has no saves to show.
            }
        }
        post(std::move(answer));

        const auto until = Clock::now() + kLongestCount;
        DetailsAnswer counted;
        counted.serial = r.serial;
        counted.sizeOnly = true;
        try {
            counted.size = details::countFolder(mFs, r.folder, details::kMostEntriesCounted, [&] {
                return stale(r.serial) || Clock::now() > until;
            });
        } catch (...) {
            counted.size.complete = false;
        }
        if (!stale(r.serial)) {
            post(std::move(counted));
        }
    }

    QObject* mContext;
    FileSystem& mFs;
    RememberedRegistry mRegistry;
    std::function<void(const DetailsAnswer&)> mTold;
    QThreadPool mPool;
    std::mutex mMutex;
    std::optional<Request> mPending;
    bool mRunning = false;
    std::atomic<bool> mClosing{false};
    std::atomic<std::uint64_t> mLatest{0};
};

DetailsReader::DetailsReader(QObject* context, FileSystem& fs, Registry& registry,
                             std::function<void(const DetailsAnswer&)> told)
    : mWorker(std::make_unique<Worker>(context, fs, registry, std::move(told))) {}

DetailsReader::~DetailsReader() = default;

void DetailsReader::ask(std::uint64_t serial, std::string folder, ProjectKind kind) {
    mWorker->ask({serial, std::move(folder), kind});
}

} // namespace tavrin
