#include "support/Widgets.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QChildEvent>
#include <QImage>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
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

namespace {

QString accessKey(const QString& text) {
    for (qsizetype i = text.indexOf(QLatin1Char('&')); i >= 0 && i + 1 < text.size();
         i = text.indexOf(QLatin1Char('&'), i + 2)) {
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toUpper();
    }
    return {};
}

// Whether the control is shown now in the window itself, not in a window of its own.
bool shownIn(const QWidget* control, const QWidget* window) {
    return control->window() == window && control->isVisibleTo(window);
}

// The keys shared among the controls shown now.
QStringList sharedNow(QWidget* window) {
    QStringList keys;
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (shownIn(b, window))
            keys << accessKey(b->text());
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && shownIn(l, window))
            keys << accessKey(l->text());
    for (const QTabBar* bar : window->findChildren<QTabBar*>())
        for (int t = 0; t < bar->count(); ++t)
            keys << accessKey(bar->tabText(t));
    keys.removeAll(QString());
    QStringList shared;
    for (const QString& k : keys)
        if (keys.count(k) > 1 && !shared.contains(k))
            shared << k;
    return shared;
}

} // namespace

QStringList sharedAccessKeys(QWidget* window) {
    QStringList shared;
    const QList<QTabWidget*> tabs = window->findChildren<QTabWidget*>();
    if (tabs.isEmpty())
        return sharedNow(window);
    for (QTabWidget* tab : tabs) {
        const int was = tab->currentIndex();
        for (int page = 0; page < tab->count(); ++page) {
            tab->setCurrentIndex(page);
            for (const QString& key : sharedNow(window))
                shared << tab->tabText(page) + QStringLiteral(": ") + key;
        }
        tab->setCurrentIndex(was);
    }
    return shared;
}

} // namespace tavrin::test
