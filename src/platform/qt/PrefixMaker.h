#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QProgressDialog;

namespace tavrin {

class Dialogs;

// Makes a missing Wine prefix before a start, while the window stays usable: Wine takes tens
// of seconds for it. The starts that wait for it run once it is there.
class PrefixMaker : public QObject {
public:
    // `made` runs once a prefix was made, before the starts that waited for it.
    PrefixMaker(Dialogs& dialogs, std::function<void()> made);
    ~PrefixMaker() override;

    // `prefix`: its host folder. Runs `then` at once when the prefix is made. While it is being
    // made, the progress shows again, and a step under the same non-empty `key` replaces the
    // one waiting: a start asked for again starts once.
    void whenMade(const std::string& prefix, std::function<void()> then, const std::string& key);

private:
    // Runs the program in the prefix, its output dropped, and `then` once it has ended; false
    // when it could not be started.
    bool runStep(std::vector<std::string> argv, std::function<void()> then);
    void finish();
    void showProgress();

    Dialogs& mDialogs;
    std::function<void()> mMade;
    std::string mPrefix;
    bool mMaking = false;
    std::vector<std::pair<std::string, std::function<void()>>> mWaiting;
    QPointer<QProgressDialog> mProgress;
};

} // namespace tavrin
