// Which window system a start chooses from the displays that answer.
#include "Platform/WindowSystem.h"

#include "support/DisplayStandIns.h"
#include "support/XServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

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

} // namespace

TEST(WindowSystem, AnXDisplayThatLetsUsInIsChosenBeforeWayland)
{
    QTemporaryDir runtime;
    SocketServer compositor(QFile::encodeName(runtime.filePath(QStringLiteral("wayland-7"))), false);
    ASSERT_TRUE(compositor.listening());
    compositor.serve(answerWaylandRoundTrips());
    const XServer server;
    ASSERT_FALSE(server.display().isEmpty());
    const QByteArray cookie = QFile::encodeName(server.authority());
    const SocketServer nobody = SocketServer::forFreeXDisplay(SocketServer::XListens::Nowhere);
    const QByteArray none = ':' + QByteArray::number(nobody.displayNumber());
    const QByteArray run = QFile::encodeName(runtime.path());
    // The same server over a link (X forwarded through ssh) whose round trip
    // takes a second and a half.
    SocketServer link = SocketServer::forFreeXDisplay(SocketServer::XListens::OverTcp);
    link.serve(forwardTo("/tmp/.X11-unix/X" + server.display().mid(1), std::chrono::milliseconds(1500)));
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
        {"the X display answers slowly",
         {{"DISPLAY", "127.0.0.1:" + QByteArray::number(link.displayNumber())},
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
        {"nothing listens at the X display",
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
