#pragma once

#include "launch/Launch.h"
#include "platform/Services.h"
#include "platform/SettingsRecord.h"

#include <functional>

namespace tavrin {

struct ProjectItem;

// The commands that start something: on the list's focused row (nothing when there is none),
// and from the two bars. Each reads the settings as they stand when it runs.
class LaunchActions {
public:
    using FocusedItem = std::function<const ProjectItem*()>;
    LaunchActions(Services services, const SettingsRecord& settings, FocusedItem focused)
        : mServices(services), mSettings(settings), mFocused(std::move(focused)) {}

    void GameStart();
    void TestPlay();
    void OpenProjectFolder();
    void R1Click();
    void TukuruExecute();
    void Tukuru2003Execute();
    // What [B_Setting] DblClick names.
    void ProjectListDblClick();
    // Buttons in bar order, from 0.
    void AplButtonClick(int index);
    void GazButtonClick(int index);

private:
    LaunchContext context();

    Services mServices;
    const SettingsRecord& mSettings;
    FocusedItem mFocused;
};

} // namespace tavrin
