#include "app/UserBar.h"

#include "platform/qt/QtText.h"

#include <QLayout>
#include <QPixmap>
#include <QToolButton>

namespace tavrin {

QPixmap smallPicture(const std::string& imageBytes) {
    QPixmap pixmap;
    if (imageBytes.empty() ||
        !pixmap.loadFromData(reinterpret_cast<const uchar*>(imageBytes.data()),
                             static_cast<uint>(imageBytes.size()))) {
        return {};
    }
    return pixmap;
}

UserBar::UserBar(const QString& title, const QString& name, const QStringList& buttonNames,
                 const QStringList& captions, QWidget* parent)
    : QToolBar(title, parent) {
    setObjectName(name);
    setIconSize(QSize(16, 16));
    setContentsMargins(0, 0, 0, 0);
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(0);
    setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"));
    for (int i = 0; i < buttonNames.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(buttonNames[i]);
        b->setText(captions.value(i));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(true);
        b->setFixedSize(kBarButtonWidth, kBarButtonHeight);
        connect(b, &QToolButton::clicked, this, [this, i] { emit buttonClicked(i); });
        mButtons.push_back(b);
        mActions.push_back(addWidget(b));
    }
}

void UserBar::setButtons(const BarButtonPlan* plans, std::size_t count) {
    for (std::size_t i = 0; i < mButtons.size() && i < count; ++i) {
        const BarButtonPlan& plan = plans[i];
        mButtons[i]->setIcon(QIcon(smallPicture(plan.icon)));
        mButtons[i]->setToolTip(qs(plan.hint));
        mActions[i]->setVisible(plan.shown);
    }
    updateGeometry();
}

int UserBar::buttonsWidth() const {
    int shown = 0;
    for (const QAction* a : mActions) {
        shown += a->isVisible() ? 1 : 0;
    }
    return kBarButtonWidth * shown;
}

QSize UserBar::sizeHint() const {
    return QSize(buttonsWidth(), kBarButtonHeight);
}

} // namespace tavrin
