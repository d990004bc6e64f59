#include "DisplayStandIns.h"

#include <QFile>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How often a waiting thread looks whether it is to stop.
constexpr int kPollMs = 20;

// What a stream socket does at its address: connects to it, holds it
// without taking connections (they are refused), or listens there.
enum class Use { Connect, Hold, Listen };

// A stream socket at, or connected to, `address`; -1 when it cannot be.
int streamSocket(int family, const void* address, socklen_t length, Use use)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto* where = static_cast<const sockaddr*>(address);
    if (fd >= 0 && (use == Use::Connect ? ::connect(fd, where, length) == 0
                                        : ::bind(fd, where, length) == 0 && (use == Use::Hold || ::listen(fd, 4) == 0)))
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

int unixSocket(const QByteArray& name, bool abstract, Use use)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int at = abstract ? 1 : 0;
    if (size_t(at + name.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path + at, name.constData(), size_t(name.size()));
    return streamSocket(AF_UNIX, &address, socklen_t(offsetof(sockaddr_un, sun_path) + at + name.size()), use);
}

// Waits until `fd` can be read (or has ended), or `stop` is requested.
bool readable(int fd, const std::stop_token& stop)
{
    for (pollfd waiting{fd, POLLIN, 0}; !stop.stop_requested();) {
        const int ready = ::poll(&waiting, 1, kPollMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
    return false;
}

bool sendAll(int fd, const void* bytes, size_t size)
{
    for (const char* at = static_cast<const char*>(bytes); size > 0;) {
        const ssize_t sent = ::send(fd, at, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        at += sent;
        size -= size_t(sent);
    }
    return true;
}

} // namespace

SocketServer::SocketServer(const QByteArray& name, bool abstract)
    : fd_(unixSocket(name, abstract, Use::Listen)), held_{fd_, -1}
{
}

SocketServer SocketServer::forFreeXDisplay(XListens where)
{
    for (int number = 7000 + int(::getpid() % 1000);; ++number) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(number);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(6000 + number));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int local = unixSocket(socket, true, where == XListens::AtSocket ? Use::Listen : Use::Hold);
        const int tcp =
            streamSocket(AF_INET, &address, sizeof address, where == XListens::OverTcp ? Use::Listen : Use::Hold);
        if (local >= 0 && tcp >= 0 && !QFile::exists(QFile::decodeName(socket))) {
            const int listening = where == XListens::AtSocket ? local : where == XListens::OverTcp ? tcp : -1;
            return SocketServer(listening, {local, tcp}, number);
        }
        for (const int fd : {local, tcp})
            if (fd >= 0)
                ::close(fd);
    }
}

SocketServer::~SocketServer()
{
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    for (const int fd : held_)
        if (fd >= 0)
            ::close(fd);
}

void SocketServer::serve(Serve serve)
{
    serve_ = std::move(serve);
    thread_ = std::jthread([this](std::stop_token stop) {
        while (readable(fd_, stop)) {
            const int connection = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0) {
                serve_(connection, stop);
                ::close(connection);
            }
        }
    });
}

SocketServer::Serve forwardTo(QByteArray path, std::chrono::milliseconds hold)
{
    return [path, hold](int client, std::stop_token stop) {
        for (const auto until = std::chrono::steady_clock::now() + hold; std::chrono::steady_clock::now() < until;) {
            if (stop.stop_requested())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
        const int server = unixSocket(path, false, Use::Connect);
        pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        for (bool open = server >= 0; open && !stop.stop_requested();) {
            ::poll(ends, 2, kPollMs);
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
        // The set-up request starts with the byte order of every number in
        // both directions: 'l' (least significant first) or 'B'.
        char request[4096];
        if (!readable(client, stop) || ::read(client, request, sizeof request) < 1)
            return;
        const bool little = request[0] == 'l';
        QByteArray answer(8, '\0');
        answer[0] = 2;  // authenticate
        answer += reason;
        answer.append((4 - answer.size() % 4) % 4, '\0');
        const auto words = uint16_t((answer.size() - 8) / 4);
        answer[little ? 6 : 7] = char(words & 0xff);
        answer[little ? 7 : 6] = char(words >> 8);
        sendAll(client, answer.constData(), size_t(answer.size()));
    };
}

SocketServer::Serve answerWaylandRoundTrips()
{
    return [](int client, std::stop_token stop) {
        // Each message: the object, then its size (high half) and opcode,
        // then the arguments, in the host's byte order. wl_display (object
        // 1) sync (opcode 0) names a new callback, whose done (opcode 0)
        // carries a serial.
        uint32_t sync[3];
        while (readable(client, stop) && ::read(client, sync, sizeof sync) == sizeof sync && sync[0] == 1 &&
               sync[1] == 12u << 16) {
            const uint32_t done[3] = {sync[2], 12u << 16, 0};
            sendAll(client, done, sizeof done);
        }
    };
}
