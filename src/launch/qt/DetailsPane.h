#pragma once

#include "catalogue/ProjectItem.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAbstractItemView;
class QComboBox;
class QPlainTextEdit;
class QTimer;

namespace tavrin {

class CodePageChoices;
class DetailsReader;
struct DetailsAnswer;
class FileSystem;
class PictureView;
class PlayLog;
class Registry;

// Below the project list: the focused project's title screen, what it needs to run, the code
// page its game runs under (the user may choose another), its folder's size and its last start
// from here. What a folder holds is read on a thread of its own, one project at a time and only
// the latest asked for; an answer for a row the user has left is dropped, so the pane always
// shows the row the user is on. Whatever a folder holds is shown as text that wraps within the
// pane, which never asks the window for width.
class DetailsPane : public QWidget {
    Q_OBJECT
public:
    // `fs` and `registry` are used off the window's thread; `playLog` and `codePages` on it.
    DetailsPane(FileSystem& fs, Registry& registry, PlayLog& playLog, CodePageChoices& codePages,
                QWidget* parent = nullptr);
    ~DetailsPane() override;

    // The project of the list's focused row (`focused`: null for none) from now on.
    void follow(QAbstractItemView* list, std::function<const ProjectItem*()> focused);

    // Shown or hidden from the View menu; shown, it takes its height in the splitter it sits in.
    void setShown(bool on);
    bool shown() const { return mShown; }
    int paneSize() const;
    void setPaneSize(int size);

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void request(const ProjectItem* item);
    void apply(const DetailsAnswer& answer);
    void showLines();
    void showCodePage(std::optional<int> detected);

    std::unique_ptr<DetailsReader> mReader;
    PlayLog& mPlayLog;
    CodePageChoices& mCodePages;
    std::function<const ProjectItem*()> mFocused;
    PictureView* mPicture = nullptr;
    QPlainTextEdit* mText = nullptr;
    QWidget* mCodePageLine = nullptr;
    QComboBox* mCodePage = nullptr;
    // The project the code page shown is for: the one whose answer is shown, which for a moment
    // after a step to the next row is not yet the focused one.
    std::string mCodePageFolder;
    bool mShown = false;
    int mSize = 140;
    bool mSizeWaits = false;
    // The project the pane is for, and the serial of its request.
    std::string mFolder;
    ProjectKind mKind = pkNone;
    bool mHasProject = false;
    bool mAnswered = false; // the first answer for it is in
    std::uint64_t mSerial = 0;
    // Shows that a row is being read only when its answer is slow, so a step to the next row
    // goes straight from one project to the other.
    QTimer* mLoadingNote = nullptr;
    QStringList mNeeds;
    QString mSizeLine;
    QString mPictureNote;
};

} // namespace tavrin
