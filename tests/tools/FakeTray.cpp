// stampwell-faketray: the least of an X11 system tray (the XEmbed tray protocol), for tests. It
// takes the tray selection of screen 0, tells every client that a tray is there, and prints
// "dock <window>" for each icon that asks to be docked. It never draws anything.
// With --after-window TITLE it first waits for a top-level window of that title, the way a
// panel started after the program comes up late.
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

xcb_atom_t Atom(xcb_connection_t* connection, const std::string& name) {
    auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str());
    std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// Whether a child of the root window (or one of its children: window managers reparent) has
// the title.
bool HasWindowTitled(xcb_connection_t* connection, xcb_window_t parent, const std::string& title,
                     int depth) {
    std::unique_ptr<xcb_query_tree_reply_t, FreeReply> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, parent), nullptr));
    if (!tree) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i) {
        auto cookie = xcb_get_property(connection, 0, children[i], XCB_ATOM_WM_NAME,
                                       XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
        std::unique_ptr<xcb_get_property_reply_t, FreeReply> name(
            xcb_get_property_reply(connection, cookie, nullptr));
        if (name) {
            const std::string text(
                static_cast<const char*>(xcb_get_property_value(name.get())),
                static_cast<std::size_t>(xcb_get_property_value_length(name.get())));
            if (text == title) return true;
        }
        if (depth > 0 && HasWindowTitled(connection, children[i], title, depth - 1)) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "stampwell-faketray: no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (argc == 3 && std::strcmp(argv[1], "--after-window") == 0) {
        while (!HasWindowTitled(connection, screen->root, argv[2], 2)) usleep(100 * 1000);
    }
    const xcb_atom_t selection =
        Atom(connection, "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    const xcb_atom_t manager = Atom(connection, "MANAGER");
    const xcb_atom_t opcode = Atom(connection, "_NET_SYSTEM_TRAY_OPCODE");

    const xcb_window_t tray = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, tray, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_set_selection_owner(connection, tray, selection, XCB_CURRENT_TIME);

    // Tells clients already running that a tray is now there.
    xcb_client_message_event_t announce{};
    announce.response_type = XCB_CLIENT_MESSAGE;
    announce.format = 32;
    announce.window = screen->root;
    announce.type = manager;
    announce.data.data32[0] = XCB_CURRENT_TIME;
    announce.data.data32[1] = selection;
    announce.data.data32[2] = tray;
    xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&announce));
    xcb_flush(connection);
    std::printf("ready\n");
    std::fflush(stdout);

    while (xcb_generic_event_t* raw = xcb_wait_for_event(connection)) {
        std::unique_ptr<xcb_generic_event_t, FreeReply> event(raw);
        if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
        const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(raw);
        // SYSTEM_TRAY_REQUEST_DOCK is opcode 0; the icon's window is the third value.
        if (message->type == opcode && message->data.data32[1] == 0) {
            std::printf("dock %u\n", message->data.data32[2]);
            std::fflush(stdout);
        }
    }
    return 0;
}
