// Which window system a start chooses from the displays that answer.
#include "Platform/WindowSystem.h"

#include "support/XServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A listening stream socket at a path, or at a name in the abstract
// namespace (where an X server listens too).
class Listener {
public:
    Listener(const QByteArray& name, bool abstract) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const int at = abstract ? 1 : 0;
        std::memcpy(address.sun_path + at, name.constData(), size_t(name.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + at + name.size());
        listening_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(fd_, 4) == 0;
    }
    ~Listener() { ::close(fd_); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    bool listening() const { return listening_; }

private:
    int fd_;
    bool listening_ = false;
};

using Variables = std::vector<std::pair<const char*, QByteArray>>;

// The variables the choice reads, as given for one scope.
class Environment {
public:
    explicit Environment(const Variables& values)
    {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
            saved_.emplace_back(name, qgetenv(name));
            qunsetenv(name);
        }
        for (const auto& [name, value] : values)
            qputenv(name, value);
    }
    ~Environment()
    {
        for (const auto& [name, value] : saved_)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }

private:
    Variables saved_;
};

// The socket of an X display number that no server serves here, as an X
// server makes it (in the abstract namespace).
QByteArray freeXDisplaySocket()
{
    for (int number = 7000 + int(::getpid() % 1000);; ++number) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(number);
        if (Listener(socket, true).listening() && !QFile::exists(QFile::decodeName(socket)))
            return socket;
    }
}

} // namespace

TEST(WindowSystem, AnXDisplayThatLetsUsInIsChosenBeforeWayland)
{
    QTemporaryDir runtime;
    const Listener compositor(QFile::encodeName(runtime.filePath(QStringLiteral("wayland-7"))), false);
    ASSERT_TRUE(compositor.listening());
    const XServer server;
    ASSERT_FALSE(server.display().isEmpty());
    const QByteArray cookie = QFile::encodeName(server.authority());
    const QByteArray socket = freeXDisplaySocket();
    const QByteArray none = ':' + socket.mid(socket.lastIndexOf('X') + 1);
    const QByteArray run = QFile::encodeName(runtime.path());
    const struct {
        const char* what;
        Variables env;
        QByteArray chosen;
    } cases[] = {
        {"both answer (XWayland in a Wayland session)",
         {{"DISPLAY", server.display()},
          {"XAUTHORITY", cookie},
          {"WAYLAND_DISPLAY", "wayland-7"},
          {"XDG_RUNTIME_DIR", run}},
         "xcb"},
        {"the X display refuses this user",
         {{"DISPLAY", server.display()},
          {"XAUTHORITY", run + "/no-authority"},
          {"WAYLAND_DISPLAY", "wayland-7"},
          {"XDG_RUNTIME_DIR", run}},
         "wayland"},
        {"the X display does not answer",
         {{"DISPLAY", none}, {"WAYLAND_DISPLAY", "wayland-7"}, {"XDG_RUNTIME_DIR", run}}, "wayland"},
        {"the user's choice", {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", none}}, ""},
    };
    const char* const argv[] = {"kolventra", nullptr};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Environment env(c.env);
        const auto choice = platform::reachableWindowSystem(1, argv);
        EXPECT_EQ(choice.platform, c.chosen);
        EXPECT_TRUE(choice.problem.isEmpty()) << choice.problem.toStdString();
    }
}
