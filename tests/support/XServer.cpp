#include "XServer.h"

#include <QFile>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

const QByteArray kCookieName("MIT-MAGIC-COOKIE-1");
const QByteArray kCookie("0123456789abcdef");

// One entry of an authority file (the X authority format: a family, then
// address, display number, protocol name and data, each a length in two
// bytes, high byte first, and its bytes): any host, any display.
QByteArray cookieEntry(const QByteArray& cookie)
{
    QByteArray entry("\xff\xff", 2);  // FamilyWild
    for (const QByteArray& field : {QByteArray(), QByteArray(), kCookieName, cookie}) {
        entry += char(field.size() >> 8);
        entry += char(field.size());
        entry += field;
    }
    return entry;
}

} // namespace

XServer::XServer()
{
    QFile file(authority());
    if (!file.open(QIODevice::WriteOnly) || file.write(cookieEntry(kCookie)) <= 0)
        return;
    file.close();
    // The server writes its display number on standard output once it takes
    // connections. It is not reset when its last client leaves (a session's
    // server always has a client, its window manager): while it resets, it
    // refuses new clients.
    server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-auth"),
                                           authority(), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                           QStringLiteral("-noreset")});
    while (!server_.canReadLine() && server_.waitForReadyRead(30000)) {
    }
    const QByteArray number = server_.readLine().trimmed();
    if (!number.isEmpty())
        display_ = ':' + number;
}

XServer::~XServer()
{
    server_.terminate();
    server_.waitForFinished(10000);
}

bool XServer::showsAWindow() const
{
    if (display_.isEmpty())
        return false;
    xcb_auth_info_t cookie{int(kCookieName.size()), const_cast<char*>(kCookieName.constData()), int(kCookie.size()),
                           const_cast<char*>(kCookie.constData())};
    xcb_connection_t* connection = xcb_connect_to_display_with_auth_info(display_.constData(), &cookie, nullptr);
    bool shown = false;
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
        if (tree) {
            const xcb_window_t* windows = xcb_query_tree_children(tree);
            for (int i = 0; i < xcb_query_tree_children_length(tree) && !shown; ++i) {
                xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
                    connection, xcb_get_window_attributes(connection, windows[i]), nullptr);
                shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
                std::free(attributes);
            }
            std::free(tree);
        }
    }
    xcb_disconnect(connection);
    return shown;
}
