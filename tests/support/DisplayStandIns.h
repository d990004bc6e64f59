#pragma once
// Stand-ins for what a start may meet at DISPLAY and WAYLAND_DISPLAY: a
// listening socket of the test's own whose connections are served from a
// thread of the test process, each its own way, or never answered.

#include <QByteArray>

#include <array>
#include <chrono>
#include <functional>
#include <stop_token>
#include <thread>

class SocketServer {
public:
    using Serve = std::function<void(int connection, std::stop_token stop)>;
    // At a path in the file system, or at a name in the abstract namespace.
    SocketServer(const QByteArray& name, bool abstract);
    // Where connections to an X display are taken: where a client of
    // display ":N" connects first (its abstract socket), at its TCP port on
    // the loopback (display "127.0.0.1:N", and ":N" where that socket is
    // missing), or nowhere, refusing them all.
    enum class XListens { AtSocket, OverTcp, Nowhere };
    // At an X display number that nothing else here takes: its socket and
    // its TCP port stay bound by this server for as long as it lives, so that
    // no test running beside this one can take the same number.
    static SocketServer forFreeXDisplay(XListens where);
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    bool listening() const { return fd_ >= 0; }
    int displayNumber() const { return number_; }
    // Hands each connection to `serve`, one after the other, on a thread of
    // its own; the connection is closed when `serve` returns, which it must
    // do soon after `stop` is requested. Until then (or without it) the
    // system takes connections and nobody answers them.
    void serve(Serve serve);

private:
    SocketServer(int fd, std::array<int, 2> held, int number) : fd_(fd), held_(held), number_(number) {}
    int fd_;                       // listening, or -1
    std::array<int, 2> held_;      // every socket this server holds
    int number_ = -1;
    Serve serve_;
    std::jthread thread_;
};

// Forwards each connection to the stream socket at `path` once `hold` has
// passed, as a slow link holds back the server's first answer.
SocketServer::Serve forwardTo(QByteArray path, std::chrono::milliseconds hold);

// An X server that answers each connection set-up with a refusal giving
// `reason` (the answer that asks for further authentication, whose reason
// may be the longest the protocol allows).
SocketServer::Serve refuseXClientsWith(QByteArray reason);

// A Wayland compositor as far as a client's round trip goes: it answers
// each wl_display.sync with the callback's done event.
SocketServer::Serve answerWaylandRoundTrips();
