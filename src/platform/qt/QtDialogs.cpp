#include "platform/qt/QtDialogs.h"

#include "platform/DriveTable.h"
#include "platform/PathText.h"
#include "platform/qt/QtFontDialog.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace tavrin {

namespace {

QMessageBox::StandardButton toButton(MsgResult r) {
    switch (r) {
    case MsgResult::ok:
        return QMessageBox::Ok;
    case MsgResult::cancel:
        return QMessageBox::Cancel;
    case MsgResult::yes:
        return QMessageBox::Yes;
    case MsgResult::no:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

// "desc|pattern|desc|pattern" as Qt's name filters; several patterns are split by ";".
QStringList nameFilters(const std::string& filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        out << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out;
}

} // namespace

QWidget* QtDialogs::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (mOwner) {
        return mOwner.data();
    }
    // Start-up speaks before the main window is shown or handed over: it exists already.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(w)) {
            return w;
        }
    }
    return QApplication::activeWindow();
}

namespace {

// A line of a message this long is a name past reading (a folder 3,000 characters long): cut in
// its middle, so the box and its buttons stay on the screen. The whole text stays in the box's
// details, as it does when lines are left out for the height.
constexpr qsizetype kLongestLine = 160;

QString shortened(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.size() > kLongestLine) {
            const qsizetype half = kLongestLine / 2;
            line = line.left(half) + QStringLiteral("…") + line.right(half);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

// Qt wraps a line wider than half the screen, and a Japanese one between any two characters,
// so a sentence breaks inside a word; the box is made wide enough for its widest line, up to
// Qt's own limit, past which a line must wrap anyway. Gives the width the label has at least.
int keepLinesWhole(QMessageBox& box, QLabel& label, const QString& text) {
    const int screen = box.screen()->availableGeometry().width();
    const int limit = screen <= 1024 ? screen : std::min(screen - 480, 1000);
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, label.fontMetrics().horizontalAdvance(line) + 1);
    }
    // The icon and the margins take the rest of the limit.
    label.setMinimumWidth(std::min(widest, limit * 3 / 4));
    return std::max(1, label.minimumWidth());
}

// Qt makes the box as tall as its text, however tall, its buttons then below the screen's edge:
// past `room` pixels the lines in the middle give way to one "…", the first and the last (the
// question) stay. Each line is measured as the label lays it out at `width`, its least width:
// wrapped, and in the taller font that draws Japanese.
QString withinHeight(const QString& text, const QLabel& label, int width, int room) {
    const QFontMetrics metrics = label.fontMetrics();
    const auto height = [&](const QString& line) {
        return metrics
            .boundingRect(QRect(0, 0, width, room + 1), Qt::TextWordWrap,
                          line.isEmpty() ? QStringLiteral(" ") : line)
            .height();
    };
    const QStringList lines = text.split(QLatin1Char('\n'));
    std::vector<int> heights;
    int total = 0;
    for (const QString& line : lines) {
        heights.push_back(height(line));
        total += heights.back();
    }
    if (total <= room) {
        return text;
    }
    // A third of the room for the end, at least its last line; the rest for the start.
    const QString cut = QStringLiteral("…");
    qsizetype tail = lines.size() - 1;
    int tailHeight = heights.back();
    while (tail > 1 && tailHeight + heights[tail - 1] <= room / 3) {
        tailHeight += heights[--tail];
    }
    qsizetype head = 0;
    int headHeight = height(cut) + tailHeight;
    while (head < tail && headHeight + heights[head] <= room) {
        headHeight += heights[head++];
    }
    return (lines.mid(0, head) << cut << lines.mid(tail)).join(QLatin1Char('\n'));
}

} // namespace

MsgResult QtDialogs::messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                MsgButtons buttons, MsgResult defaultButton) {
    QMessageBox box(owner());
    box.setWindowTitle(qs(caption));
    const QString whole = qs(text);
    QString shown = shortened(whole);
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        label->ensurePolished();
        const int width = keepLinesWhole(box, *label, shown);
        // The frame, the margins and the buttons take the rest of the screen.
        shown =
            withinHeight(shown, *label, width, box.screen()->availableGeometry().height() * 2 / 3);
    }
    box.setText(shown);
    if (shown != whole) {
        box.setDetailedText(whole);
    }
    // Some messages name a command to run: the user copies it from the box.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    switch (icon) {
    case MsgIcon::none:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MsgButtons::ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::yesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::okCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::yesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toButton(defaultButton));
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return MsgResult::ok;
    case QMessageBox::Yes:
        return MsgResult::yes;
    case QMessageBox::No:
        return MsgResult::no;
    case QMessageBox::Cancel:
        return MsgResult::cancel;
    default:
        // Closed without a button: a Yes/No box answers No, as on Windows.
        return buttons == MsgButtons::yesNo ? MsgResult::no
               : buttons == MsgButtons::ok  ? MsgResult::ok
                                            : MsgResult::cancel;
    }
}

std::optional<std::string> QtDialogs::browseForFolder(const std::string& prompt) {
    const QString chosen = QFileDialog::getExistingDirectory(owner(), qs(prompt), QDir::homePath(),
                                                             QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<std::string> windows =
        windowsPath(QFile::encodeName(QDir::cleanPath(chosen)).toStdString());
    if (!windows || windows->empty()) {
        return std::nullopt;
    }
    return pathtext::folderText(*windows);
}

std::optional<std::string> QtDialogs::windowsPath(const std::string& hostPath) const {
    return mMapFolder ? mMapFolder(hostPath) : DriveTable::rootOnly().toWindows(hostPath);
}

std::optional<std::string> QtDialogs::openFile(const OpenFileRequest& request) {
    QFileDialog dialog(owner());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions already name their patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
    }
    if (!request.initialFolder.empty() && mMapHost) {
        const std::string host = mMapHost(request.initialFolder);
        if (!host.empty()) {
            dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(host)));
        }
    }
    // The name field starts as Windows' does: a plain name is offered as the file to open, a
    // wildcard ("*.exe") shows what the list holds.
    const QString name = qs(request.fileName);
    if (!name.isEmpty()) {
        dialog.selectFile(name);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    std::optional<std::string> windows = windowsPath(
        QFile::encodeName(QDir::cleanPath(dialog.selectedFiles().constFirst())).toStdString());
    if (!windows || windows->empty()) {
        return std::nullopt;
    }
    return windows;
}

std::optional<FontChoice> QtDialogs::chooseFont(const FontChoice& initial) {
    return runFontDialog(owner(), initial);
}

} // namespace tavrin
