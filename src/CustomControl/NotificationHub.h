#pragma once
// The six notifications between the device strip and its tiles, as one
// application-wide object with one signal each. Observers connect to the
// signal and hear every sender; they are called synchronously in the order
// they connected (a direct connection), so an observer that registered
// first runs first.

#include <QObject>

class NotificationHub : public QObject {
    Q_OBJECT
public:
    static constexpr const char* MOUSE_DOWN_NOTIFICATION = "MOUSE_DOWN_NOTIFICATION";
    static constexpr const char* MOUSE_UP_NOTIFICATION = "MOUSE_UP_NOTIFICATION";
    static constexpr const char* MOUSE_ENTERED_NOTIFICATION = "MOUSE_ENTERED_NOTIFICATION";
    static constexpr const char* MOUSE_EXITED_NOTIFICATION = "MOUSE_EXITED_NOTIFICATION";
    static constexpr const char* KEBOARD_LISTVIEW_SCROLL_NOTIFICATION =
        "KEBOARD_LISTVIEW_SCROLL_NOTIFICATION";
    static constexpr const char* KEBOARD_LISTVIEW_SELECTION_CHANDED_NOTIFICATION =
        "KEBOARD_LISTVIEW_SELECTION_CHANDED_NOTIFICATION";

    // The one hub of the application.
    static NotificationHub& instance();

signals:
    // A tile view was pressed / released / entered / left; `object` is the view.
    void mouseDown(QObject* object);
    void mouseUp(QObject* object);
    void mouseEntered(QObject* object);
    void mouseExited(QObject* object);
    // The strip scrolled by a button; `object` is the strip.
    void keyboardListViewScroll(QObject* object);
    // A tile's selection changed on a click; `object` is the tile.
    void keyboardListViewSelectionChanged(QObject* object);

private:
    NotificationHub() = default;
};
