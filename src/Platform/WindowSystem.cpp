#include "Platform/WindowSystem.h"

#include "Platform/Clock.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>
#include <QtGlobal>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// The longest a display reached over TCP is given to accept a connection.
constexpr Seconds kConnectLimit{1.0};

// Whether something accepts a stream connection at `address`: a local
// socket answers at once (a full backlog still means a listener), a TCP one
// within kConnectLimit.
bool accepts(const sockaddr* address, socklen_t length)
{
    const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answered = ::connect(fd, address, length) == 0 || (address->sa_family == AF_UNIX && errno == EAGAIN);
    if (!answered && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        answered = ::poll(&waiting, 1, int(scaledMs(kConnectLimit).count())) == 1 &&
                   ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    ::close(fd);
    return answered;
}

// A local socket by its path, or by its name in the abstract namespace.
bool acceptsLocal(const QByteArray& path, bool abstract = false)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const qsizetype at = abstract ? 1 : 0;
    if (at + path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path + at, path.constData(), size_t(path.size()));
    // An abstract name is as long as it is; a path ends with its zero.
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + at + path.size() + (abstract ? 0 : 1));
    return accepts(reinterpret_cast<const sockaddr*>(&address), length);
}

// A TCP port on a host given by its address (localhost is the loopback
// addresses). A host name is not looked up: that may wait on the network
// without bound, so it counts as reachable and is left to the plugin.
bool acceptsTcp(const QByteArray& host, int port)
{
    if (host == "localhost")
        return acceptsTcp("127.0.0.1", port) || acceptsTcp("::1", port);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(host.constData(), QByteArray::number(port).constData(), &hints, &found);
    if (status == EAI_NONAME)
        return true;
    bool answered = false;
    for (const addrinfo* a = status == 0 ? found : nullptr; a && !answered; a = a->ai_next)
        answered = accepts(a->ai_addr, a->ai_addrlen);
    if (found)
        ::freeaddrinfo(found);
    return answered;
}

// Whether an X server answers at DISPLAY, reached as the X client library
// reaches it: `[protocol/]host:number[.screen]`, TCP port 6000 + number on a
// host, else the local socket of the number (abstract, then the path), else,
// with neither protocol nor host, TCP on localhost. A path (DISPLAY starting
// with '/') is the socket itself, with or without `:number`.
bool xDisplayAnswers(const QByteArray& display)
{
    static const QRegularExpression form(QStringLiteral(R"(^(?:(.*)/)?(.*):(\d+)(?:\.\d+)?$)"));
    const QRegularExpressionMatch parts = form.match(QString::fromLocal8Bit(display));
    if (display.startsWith('/'))
        return acceptsLocal(display) || (parts.hasMatch() && acceptsLocal(display.left(display.lastIndexOf(':'))));
    if (!parts.hasMatch())
        return false;
    const QByteArray protocol = parts.captured(1).toLocal8Bit();
    QByteArray host = parts.captured(2).toLocal8Bit();
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    bool valid = false;
    const int number = parts.captured(3).toInt(&valid);
    if (!valid)
        return false;
    constexpr int kFirstPort = 6000;
    if (protocol != "unix" && !host.isEmpty() && host != "unix")
        return acceptsTcp(host, kFirstPort + number);
    const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(number);
    if (acceptsLocal(socket, true) || acceptsLocal(socket))
        return true;
    return protocol.isEmpty() && host.isEmpty() && acceptsTcp("localhost", kFirstPort + number);
}

// Whether a Wayland compositor answers at WAYLAND_DISPLAY: a path, or a
// name in the runtime folder.
bool waylandDisplayAnswers(const QByteArray& display)
{
    if (display.startsWith('/'))
        return acceptsLocal(display);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && acceptsLocal(runtime + '/' + display);
}

// Whether Qt's own `-platform NAME` (or `--platform NAME`) is given.
bool platformOptionGiven(int argc, const char* const* argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const char* option = argv[i];
        if (option[0] == '-' && option[1] == '-')
            ++option;
        if (std::strcmp(option, "-platform") == 0)
            return true;
    }
    return false;
}

// The choice goes to the plugin through QT_QPA_PLATFORM. Once the plugin is
// loaded (the application object has run its start routines by then), the
// variable is taken away again, so that programs the application starts, a
// browser for a link, choose their window system for themselves.
void forgetChosenPlatform()
{
    if (!QGuiApplication::platformName().isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
}

} // namespace

WindowSystemChoice reachableWindowSystem(int argc, const char* const* argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || platformOptionGiven(argc, argv))
        return {};
    const QByteArray x = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    if (!x.isEmpty() && xDisplayAnswers(x))
        return {"xcb", {}};
    if (!wayland.isEmpty() && waylandDisplayAnswers(wayland))
        return {"wayland", {}};
    QStringList unreachable;
    if (!x.isEmpty())
        unreachable << QStringLiteral("the X display \"%1\" named by DISPLAY").arg(QString::fromLocal8Bit(x));
    if (!wayland.isEmpty())
        unreachable << QStringLiteral("the Wayland display \"%1\" named by WAYLAND_DISPLAY")
                           .arg(QString::fromLocal8Bit(wayland));
    if (!unreachable.isEmpty())
        return {{}, unreachable.join(QStringLiteral(" and ")) + QStringLiteral(" cannot be reached")};
    return {{}, QStringLiteral("a graphical session is needed, and neither DISPLAY (X11) nor WAYLAND_DISPLAY "
                               "(Wayland) is set")};
}

QString chooseWindowSystem(int argc, const char* const* argv)
{
    const WindowSystemChoice choice = reachableWindowSystem(argc, argv);
    if (!choice.platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", choice.platform);
        qAddPreRoutine(forgetChosenPlatform);
    }
    return choice.problem;
}

void configureWindowSystem()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace platform
