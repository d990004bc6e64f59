#pragma once
// Stand-ins for what a start may meet at DISPLAY and WAYLAND_DISPLAY, served
// from threads of the test process: a socket that takes connections and
// never answers, a server that answers each connection its own way, and a
// Wayland compositor that answers.

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <thread>
#include <utility>

struct wl_display;

// A listening stream socket. It accepts nothing itself: a client's
// connection is taken by the system and never answered.
class Listener {
public:
    // At a path in the file system.
    static Listener atPath(const QByteArray& path);
    // At a name in the abstract namespace, where an X server listens too.
    static Listener abstract(const QByteArray& name);
    // At a TCP port of the loopback address 127.0.0.1.
    static Listener onLoopback(uint16_t port);
    Listener(Listener&& other) noexcept
        : fd_(other.release())
    {
    }
    Listener& operator=(Listener&&) = delete;
    ~Listener();
    bool listening() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Hands the socket over to the caller.
    int release();

private:
    explicit Listener(int fd)
        : fd_(fd)
    {
    }
    int fd_;
};

// An X display number that no server here serves, with a listener where a
// client of it connects: its socket in the abstract namespace (display
// ":N"), or its TCP port on the loopback (display "127.0.0.1:N").
struct FreeXDisplay {
    int number;
    Listener listener;
};
FreeXDisplay freeXDisplay(bool overTcp);

// Serves each connection made to a listener with `serve`, one after the
// other, on a thread of its own, until it is destroyed. The connection is
// closed when `serve` returns, which it must do soon after `stop` is
// requested.
class SocketServer {
public:
    using Serve = std::function<void(int connection, std::stop_token stop)>;
    SocketServer(Listener listener, Serve serve);

private:
    Listener listener_;
    Serve serve_;
    std::jthread thread_;  // last: stopped and joined first
};

// Forwards each connection to the stream socket at `path` once `hold` has
// passed, as a slow link holds back the server's first answer.
SocketServer::Serve forwardTo(QByteArray path, std::chrono::milliseconds hold);

// An X server that answers each client's connection set-up with a refusal
// that gives `reason` (the answer that asks for further authentication,
// whose reason may be the longest the protocol allows).
SocketServer::Serve refuseXClientsWith(QByteArray reason);

// A Wayland compositor, with no globals, at `listener`: it answers a
// client's round trip as every compositor does.
class WaylandCompositor {
public:
    explicit WaylandCompositor(Listener listener);
    ~WaylandCompositor();
    WaylandCompositor(const WaylandCompositor&) = delete;
    WaylandCompositor& operator=(const WaylandCompositor&) = delete;
    bool serving() const { return display_ != nullptr; }

private:
    wl_display* display_;
    std::jthread loop_;
};
