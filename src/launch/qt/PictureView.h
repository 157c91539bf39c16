#pragma once

#include <QImage>
#include <QWidget>

namespace tavrin {

// The title picture at its pixel size or by whole steps, in the middle of its room.
class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent);
    QSize sizeHint() const override { return {mWanted, 24}; }
    void setWantedWidth(int width) {
        if (width != mWanted) {
            mWanted = width;
            updateGeometry();
        }
    }
    void setPicture(QImage picture) {
        mPicture = std::move(picture);
        mScaled = QImage();
        update();
    }
    const QImage& picture() const { return mPicture; }
    // Where the picture is drawn now.
    QRect drawn() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage mPicture;
    QImage mScaled;
    int mWanted = 32;
};

} // namespace tavrin
