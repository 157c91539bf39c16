#include "platform/qt/ScreenModes.h"

#include <QGuiApplication>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace tavrin {

bool displayCanSwitchTo(int width, int height) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return true;
    }
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!randr || !randr->present) {
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) {
        return true;
    }
    const std::unique_ptr<xcb_randr_get_screen_resources_current_reply_t, decltype(&std::free)>
        resources(xcb_randr_get_screen_resources_current_reply(
                      connection, xcb_randr_get_screen_resources_current(connection, screen->root),
                      nullptr),
                  &std::free);
    if (!resources) {
        return false;
    }
    const xcb_randr_mode_info_t* modes =
        xcb_randr_get_screen_resources_current_modes(resources.get());
    const int count = xcb_randr_get_screen_resources_current_modes_length(resources.get());
    for (int i = 0; i < count; ++i) {
        if (modes[i].width == width && modes[i].height == height) {
            return true;
        }
    }
    return false;
}

} // namespace tavrin
