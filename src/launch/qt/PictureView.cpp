#include "launch/qt/PictureView.h"

#include "launch/ProjectDetails.h"

#include <QPainter>

namespace tavrin {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DetailsPicture"));
    // It gives way to a narrow window rather than widening it.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Expanding);
    setMinimumSize(32, 24);
}

QRect PictureView::drawn() const {
    const details::Extent e =
        details::wholeStepSize({mPicture.width(), mPicture.height()}, {width(), height()});
    return {(width() - e.width) / 2, (height() - e.height) / 2, e.width, e.height};
}

void PictureView::paintEvent(QPaintEvent*) {
    if (mPicture.isNull()) {
        return;
    }
    const QRect at = drawn();
    if (at.isEmpty()) {
        return;
    }
    // Scaled once per size: a large picture is not resampled on every paint.
    if (mScaled.size() != at.size()) {
        mScaled = mPicture.scaled(at.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    QPainter(this).drawImage(at.topLeft(), mScaled);
}

} // namespace tavrin
