#include "DisplayStandIns.h"

#include <QFile>

#include <wayland-server-core.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How often a waiting thread looks whether it is to stop.
constexpr int kPollMs = 20;

// A stream socket listening at, or connected to, a unix socket name.
int unixSocket(const QByteArray& name, bool abstract, bool connecting)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int at = abstract ? 1 : 0;
    if (size_t(at + name.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path + at, name.constData(), size_t(name.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + at + name.size());
    const auto* where = reinterpret_cast<const sockaddr*>(&address);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 &&
        (connecting ? ::connect(fd, where, length) == 0 : ::bind(fd, where, length) == 0 && ::listen(fd, 4) == 0))
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// Waits until `fd` can be read (or has ended), or `stop` is requested.
bool readable(int fd, const std::stop_token& stop)
{
    pollfd waiting{fd, POLLIN, 0};
    while (!stop.stop_requested()) {
        const int ready = ::poll(&waiting, 1, kPollMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
    return false;
}

bool sendAll(int fd, const char* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= size_t(sent);
    }
    return true;
}

}  // namespace

Listener Listener::atPath(const QByteArray& path) { return Listener(unixSocket(path, false, false)); }

Listener Listener::abstract(const QByteArray& name) { return Listener(unixSocket(name, true, false)); }

Listener Listener::onLoopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && ::listen(fd, 4) == 0)
        return Listener(fd);
    if (fd >= 0)
        ::close(fd);
    return Listener(-1);
}

Listener::~Listener()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int Listener::release() { return std::exchange(fd_, -1); }

FreeXDisplay freeXDisplay(bool overTcp)
{
    for (int number = 7000 + int(::getpid() % 1000);; ++number) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(number);
        Listener listener = overTcp ? Listener::onLoopback(uint16_t(6000 + number)) : Listener::abstract(socket);
        if (listener.listening() && !QFile::exists(QFile::decodeName(socket)))
            return {number, std::move(listener)};
    }
}

SocketServer::SocketServer(Listener listener, Serve serve)
    : listener_(std::move(listener))
    , serve_(std::move(serve))
    , thread_([this](std::stop_token stop) {
        while (readable(listener_.fd(), stop)) {
            const int connection = ::accept4(listener_.fd(), nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            serve_(connection, stop);
            ::close(connection);
        }
    })
{
}

SocketServer::Serve forwardTo(QByteArray path, std::chrono::milliseconds hold)
{
    return [path, hold](int client, std::stop_token stop) {
        for (const auto until = std::chrono::steady_clock::now() + hold; std::chrono::steady_clock::now() < until;) {
            if (stop.stop_requested())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
        const int server = unixSocket(path, false, true);
        pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        for (bool open = server >= 0; open && !stop.stop_requested();) {
            if (::poll(ends, 2, kPollMs) < 0 && errno != EINTR)
                break;
            for (int from = 0; from < 2 && open; ++from) {
                char bytes[4096];
                const ssize_t got = ends[from].revents ? ::read(ends[from].fd, bytes, sizeof bytes) : 0;
                open = ends[from].revents == 0 || (got > 0 && sendAll(ends[1 - from].fd, bytes, size_t(got)));
            }
        }
        if (server >= 0)
            ::close(server);
    };
}

SocketServer::Serve refuseXClientsWith(QByteArray reason)
{
    return [reason](int client, std::stop_token stop) {
        // The set-up request starts with the byte order of every number
        // that follows, in both directions: 'l' (least significant first) or
        // 'B'.
        char request[4096];
        if (!readable(client, stop) || ::read(client, request, sizeof request) < 1)
            return;
        const bool little = request[0] == 'l';
        QByteArray padded = reason;
        padded.append((4 - padded.size() % 4) % 4, '\0');
        const auto words = uint16_t(padded.size() / 4);
        QByteArray answer(8, '\0');
        answer[0] = 2;  // authenticate
        answer[little ? 6 : 7] = char(words & 0xff);
        answer[little ? 7 : 6] = char(words >> 8);
        answer += padded;
        sendAll(client, answer.constData(), size_t(answer.size()));
    };
}

WaylandCompositor::WaylandCompositor(Listener listener)
    : display_(wl_display_create())
{
    if (!display_)
        return;
    if (wl_display_add_socket_fd(display_, listener.fd()) != 0) {
        wl_display_destroy(display_);
        display_ = nullptr;
        return;
    }
    listener.release();  // the display owns it now
    loop_ = std::jthread([display = display_](std::stop_token stop) {
        wl_event_loop* events = wl_display_get_event_loop(display);
        while (!stop.stop_requested()) {
            wl_event_loop_dispatch(events, kPollMs);
            wl_display_flush_clients(display);
        }
    });
}

WaylandCompositor::~WaylandCompositor()
{
    if (!display_)
        return;
    loop_.request_stop();
    loop_.join();
    wl_display_destroy_clients(display_);
    wl_display_destroy(display_);
}
