#include "app/ControlBar.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <qdrawutil.h>

#include <algorithm>

namespace tavrin {

namespace {

// Two raised lines of 3 pixels with a blank either side.
constexpr int kGripWidth = 9;

} // namespace

// The handle at a bar's left edge by which the user drags the bar.
class BandGrip : public QWidget {
public:
    explicit BandGrip(ControlBar* owner) : QWidget(owner), mOwner(owner) {
        setCursor(Qt::SizeAllCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (int x : {2, 5}) {
            qDrawShadePanel(&painter, x, 2, 3, height() - 4, palette(), false, 1);
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            mOwner->dragStart(this, at(event));
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() & Qt::LeftButton) {
            mOwner->dragTo(at(event));
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            mOwner->dragTo(at(event));
            mOwner->dragEnd();
        }
    }

private:
    // Global positions, since the grip itself moves under the pointer while dragged.
    QPoint at(const QMouseEvent* event) const {
        return mOwner->mapFromGlobal(event->globalPosition().toPoint());
    }

    ControlBar* mOwner;
};

ControlBar::ControlBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFixedHeight(0);
}

void ControlBar::addBar(QToolBar* bar) {
    // Qt's own moving belongs to a main window's tool-bar area; here the grip moves the bar.
    if (bar->parentWidget() != this) {
        bar->setParent(this);
    }
    bar->setMovable(false);
    bar->setFloatable(false);
    auto* grip = new BandGrip(this);
    grip->setObjectName(bar->objectName() + QStringLiteral("Grip"));
    mBands.push_back({bar, grip, {}});
    bar->installEventFilter(this);
    settle();
}

void ControlBar::setPlaces(const std::vector<BandPlace>& places) {
    for (std::size_t i = 0; i < std::min(places.size(), mBands.size()); ++i) {
        mBands[i].wanted = places[i];
    }
    settle();
}

std::vector<BandPlace> ControlBar::places() const {
    return settleBand(bandBars(), rowHeight()).places;
}

QWidget* ControlBar::grip(int index) const {
    return index >= 0 && index < static_cast<int>(mBands.size()) ? mBands[index].grip : nullptr;
}

int ControlBar::rowHeight() const {
    // Hidden bars count too, so showing one never shifts the rows of the others.
    int height = 0;
    for (const Band& band : mBands) {
        height = std::max(height, band.bar->sizeHint().height());
    }
    return height;
}

QSize ControlBar::sizeHint() const {
    return {mRight, height()};
}

QSize ControlBar::minimumSizeHint() const {
    return {0, height()};
}

bool ControlBar::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::LayoutRequest: // its size may have changed, hidden or not
        settle();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

std::vector<BandBar> ControlBar::bandBars() const {
    std::vector<BandBar> bars;
    for (const Band& band : mBands) {
        const bool shown = !band.bar->isHidden();
        bars.push_back({band.wanted, shown ? kGripWidth + band.bar->sizeHint().width() : 0, shown});
    }
    return bars;
}

void ControlBar::settle() {
    place(settleBand(bandBars(), rowHeight()));
}

void ControlBar::place(const BandLayout& layout) {
    const int row = rowHeight();
    mRight = 0;
    for (std::size_t i = 0; i < mBands.size(); ++i) {
        const Band& band = mBands[i];
        const bool shown = !band.bar->isHidden();
        band.grip->setVisible(shown);
        if (!shown) {
            continue;
        }
        const QPoint at(layout.places[i].left, layout.places[i].top);
        const int width = band.bar->sizeHint().width();
        band.grip->setGeometry(at.x(), at.y(), kGripWidth, row);
        band.bar->setGeometry(at.x() + kGripWidth, at.y(), width, row);
        mRight = std::max(mRight, at.x() + kGripWidth + width);
    }
    setFixedHeight(layout.height);
    updateGeometry();
}

void ControlBar::dragStart(const BandGrip* grip, QPoint at) {
    for (std::size_t i = 0; i < mBands.size(); ++i) {
        if (mBands[i].grip == grip) {
            mDragged = static_cast<int>(i);
            mGrabOffset = at - grip->pos();
            mBeforeDrag = bandBars();
        }
    }
}

void ControlBar::dragTo(QPoint at) {
    if (mDragged < 0) {
        return;
    }
    const QPoint topLeft = at - mGrabOffset;
    const BandLayout layout = dropBar(mBeforeDrag, static_cast<std::size_t>(mDragged),
                                      {topLeft.x(), topLeft.y()}, rowHeight());
    for (std::size_t i = 0; i < mBands.size(); ++i) {
        mBands[i].wanted = layout.places[i];
    }
    place(layout);
}

void ControlBar::dragEnd() {
    mDragged = -1;
    mBeforeDrag.clear();
}

} // namespace tavrin
