#include "app/MainBars.h"

#include "app/ControlBar.h"
#include "app/UserBar.h"
#include "app/core/MenuState.h"
#include "platform/Icons.h"
#include "platform/qt/AppIcons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QToolBar>

#include <algorithm>

namespace tavrin {

namespace {

// A blank of 17 pixels between tool buttons, with a line for a divider.
QWidget* barGap(QWidget* parent, bool divider) {
    auto* gap = new QWidget(parent);
    gap->setFixedWidth(17);
    if (divider) {
        auto* layout = new QHBoxLayout(gap);
        layout->setContentsMargins(0, 3, 0, 3);
        auto* line = new QFrame(gap);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        layout->addWidget(line, 0, Qt::AlignHCenter);
    }
    return gap;
}

// The bar's width in the bar area; 0 for a bar without shown buttons.
int barWidth(const QToolBar* bar) {
    if (const auto* user = qobject_cast<const UserBar*>(bar)) {
        return user->buttonsWidth();
    }
    for (QAction* a : bar->actions()) {
        if (a->isVisible() && !a->isSeparator()) {
            return bar->sizeHint().width();
        }
    }
    return 0;
}

} // namespace

MainBars::MainBars(ControlBar* container, const std::array<QAction*, 6>& standardButtons,
                   const std::array<QAction*, 3>& toggles)
    : QObject(container), mToggles(toggles) {
    const auto images = appicons::nmlBarImages();
    mNml = new QToolBar(QStringLiteral("標準ツールバー"), container);
    mNml->setObjectName(QStringLiteral("NmlBar"));
    mNml->setIconSize(QSize(18, 16));
    mNml->setStyleSheet(QStringLiteral("QToolButton { min-width: 21px; min-height: 19px; }"));
    // Each button's picture, and the gap before it: 0 none, 1 blank, 2 with a divider.
    constexpr std::array<std::size_t, 6> image = {8, 3, 5, 9, 6, 7};
    constexpr std::array<int, 6> gap = {0, 1, 2, 0, 0, 1};
    for (std::size_t i = 0; i < standardButtons.size(); ++i) {
        if (gap[i] > 0) {
            mNml->addWidget(barGap(mNml, gap[i] == 2));
        }
        standardButtons[i]->setIcon(images[image[i]]);
        mNml->addAction(standardButtons[i]);
    }
    container->addBar(mNml);

    QStringList aplNames;
    for (int i = 1; i <= 8; ++i) {
        aplNames << QStringLiteral("AplButton%1").arg(i);
    }
    mApl = new UserBar(QStringLiteral("アプリケーションバー"), QStringLiteral("AplBar"), aplNames,
                       QStringList(), container);
    mGaz = new UserBar(QStringLiteral("Gaz soft"), QStringLiteral("GazBar"),
                       {QStringLiteral("Bt_actview"), QStringLiteral("Bt_ccclip"),
                        QStringLiteral("Bt_lukey"), QStringLiteral("Bt_mywin")},
                       {QStringLiteral("Gaz_actview"), QStringLiteral("Gaz_ccclip"),
                        QStringLiteral("Gaz_lukey"), QStringLiteral("Gaz_mywin")},
                       container);
    for (UserBar* b : {mApl, mGaz}) {
        b->hide();
        container->addBar(b);
    }
    connect(mApl, &UserBar::buttonClicked, this, &MainBars::aplClicked);
    connect(mGaz, &UserBar::buttonClicked, this, &MainBars::gazClicked);
}

void MainBars::apply(const BarSettings& bars, FileSystem& fs, Icons& icons) {
    BarsPlan plan = planBars(bars, fs, icons);
    // A picture the desktop gave but that cannot be read still leaves its button one.
    const auto readable = [&icons](BarButtonPlan& b) {
        if (smallPicture(b.icon).isNull()) {
            b.icon = icons.fallbackIcon();
        }
    };
    std::for_each(plan.apl.begin(), plan.apl.end(), readable);
    std::for_each(plan.gaz.begin(), plan.gaz.end(), readable);
    mApl->setButtons(plan.apl.data(), plan.apl.size());
    mGaz->setButtons(plan.gaz.data(), plan.gaz.size());
    const std::array<bool, 3> visible = {plan.nmlVisible, plan.aplVisible, plan.gazVisible};
    const std::array<QToolBar*, 3> bars3 = {mNml, mApl, mGaz};
    for (std::size_t i = 0; i < 3; ++i) {
        bars3[i]->setVisible(visible[i]);
        mToggles[i]->setChecked(visible[i]);
    }
}

void MainBars::readVisibility(BarSettings& bars) const {
    bars.nmlBarVisible = !mNml->isHidden();
    bars.aplBarVisible = !mApl->isHidden();
    bars.gazBarVisible = !mGaz->isHidden();
}

QToolBar* MainBars::barOf(const QAction* entry) const {
    return entry == mToggles[0] ? mNml : entry == mToggles[1] ? static_cast<QToolBar*>(mApl) : mGaz;
}

void MainBars::toggle(QAction* entry) {
    QToolBar* bar = barOf(entry);
    const bool show = toggledBarVisible(bar->isVisible(), barWidth(bar));
    bar->setVisible(show);
    entry->setChecked(show);
}

} // namespace tavrin
