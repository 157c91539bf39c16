#include "support/Widgets.h"

#include <QBuffer>
#include <QChildEvent>
#include <QImage>
#include <QtTest>

namespace tavrin::test {

void toggle(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

void click(QWidget* form, const QString& button) {
    QTest::mouseClick(control<QAbstractButton>(form, button), Qt::LeftButton);
}

void typeInto(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

std::string png(const QColor& colour) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

void closeDialogsLater(QObject* context) {
    QTimer::singleShot(10000, context, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) {
                d->done(QDialog::Rejected);
            }
        }
    });
}

void insideADialog(const std::function<void(QDialog* owner)>& open) {
    QDialog outer;
    QTimer::singleShot(0, &outer, [&] {
        open(&outer);
        outer.accept();
    });
    closeDialogsLater(&outer);
    outer.exec();
}

DropAnswer dropFromOutside(QWidget* target, const QMimeData& data, const QPoint& at,
                           Qt::DropActions offered) {
    DropAnswer answer;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    answer.entered = enter.isAccepted();
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    answer.moved = move.isAccepted();
    if (!answer.moved) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target, &leave);
        return answer;
    }
    QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    answer.dropped = drop.isAccepted();
    answer.action = answer.dropped ? drop.dropAction() : Qt::IgnoreAction;
    return answer;
}

QDrag* DragCatcher::drag() const {
    for (const QPointer<QObject>& child : mChildren) {
        if (auto* d = qobject_cast<QDrag*>(child.data())) {
            return d;
        }
    }
    return nullptr;
}

// The child is still being constructed here, so it is told apart later.
bool DragCatcher::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        mChildren.append(static_cast<QChildEvent*>(event)->child());
    }
    return false;
}

} // namespace tavrin::test
