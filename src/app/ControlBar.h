#pragma once

#include "app/core/BarBand.h"

#include <QWidget>

#include <vector>

class QToolBar;

namespace tavrin {

class BandGrip;

// The bar container: tool bars at free places in rows, each dragged by the grip at its left
// edge. It is as high as its rows and takes no room without a shown bar.
class ControlBar : public QWidget {
    Q_OBJECT
public:
    explicit ControlBar(QWidget* parent = nullptr);

    // The bar becomes this container's child; it is shown or hidden as before, and the
    // container follows.
    void addBar(QToolBar* bar);
    // Wanted places in the order the bars were added.
    void setPlaces(const std::vector<BandPlace>& places);
    // Shown bars where they stand, hidden bars where they were wanted.
    std::vector<BandPlace> places() const;
    // The grip of the bar at `index`, in the order the bars were added.
    QWidget* grip(int index) const;
    int rowHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class BandGrip;
    struct Band {
        QToolBar* bar;
        BandGrip* grip;
        BandPlace wanted;
    };

    std::vector<BandBar> bandBars() const;
    void settle();
    void place(const BandLayout& layout);
    void dragStart(const BandGrip* grip, QPoint at);
    void dragTo(QPoint at);
    void dragEnd();

    std::vector<Band> mBands;
    int mDragged = -1;
    QPoint mGrabOffset; // from the dragged bar's top-left to the pointer
    // Each move starts again from here, so passing over a bar leaves no trace on it.
    std::vector<BandBar> mBeforeDrag;
    int mRight = 0;
};

} // namespace tavrin
