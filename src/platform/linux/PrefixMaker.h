#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

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
    explicit PrefixMaker(Dialogs& dialogs);
    ~PrefixMaker() override;

    // `prefix`: its host folder. Runs `then` at once when the prefix is made.
    void whenMade(const std::string& prefix, std::function<void()> then);

private:
    void poll();
    void finish();

    Dialogs& mDialogs;
    std::string mPrefix;
    qint64 mPid = 0;
    std::vector<std::function<void()>> mWaiting;
    QTimer mTimer;
    QPointer<QProgressDialog> mProgress;
};

} // namespace tavrin
