// The test-only application program: renders the screenshots of the user
// interface into a folder (`--screenshots DIR`, optionally `--only GROUP`),
// or runs the whole application on the virtual bus once in a real window
// (`--smoke DIR`, see SmokeRun.cpp). Never installed.
#include "Platform/WindowSystem.h"
#include "Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>
#include <map>
#include <optional>

namespace shots {

namespace {

std::map<QString, ShotFunction>& registry()
{
    static std::map<QString, ShotFunction> groups;
    return groups;
}

class FolderSink : public ShotSink {
public:
    explicit FolderSink(QString folder) : folder_(std::move(folder)) {}

    void save(const QString& name, QWidget* widget) override
    {
        if (!widget->isVisible()) {
            widget->setAttribute(Qt::WA_DontShowOnScreen, true);
            widget->show();
        }
        QApplication::processEvents();
        save(name, widget->grab().toImage());
    }

    void save(const QString& name, const QImage& image) override
    {
        const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
        if (!image.save(path)) {
            QTextStream(stderr) << "cannot write " << path << '\n';
            failed = true;
        } else {
            ++written;
        }
    }

    int written = 0;
    bool failed = false;

private:
    QString folder_;
};

// The offscreen platform has no window system, and says so each time a
// window is raised or grabs the keyboard; the pictures need neither.
QtMessageHandler defaultMessages = nullptr;

void screenshotMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")) &&
        QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    defaultMessages(type, context, message);
}

} // namespace

ShotRegistrar::ShotRegistrar(const char* group, ShotFunction function)
{
    registry()[QString::fromUtf8(group)] = std::move(function);
}

} // namespace shots

int runSmoke(const QString& folder);

int main(int argc, char** argv)
{
    bool screenshots = false;
    for (int i = 1; i < argc; ++i)
        screenshots = screenshots || QByteArray(argv[i]) == "--screenshots";
    if (screenshots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Outside a desktop session (a build machine, a container) there is no
    // per-user runtime folder; the pictures are made in a private one rather
    // than in a shared fallback that Qt warns about.
    std::optional<QTemporaryDir> runtimeFolder;
    if (screenshots && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtimeFolder.emplace();
        if (runtimeFolder->isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder->path()));
    }
    // The window system is chosen and talked to as the application does.
    if (const QString missing = platform::chooseWindowSystem(argc, argv); !missing.isEmpty()) {
        QTextStream(stderr) << missing << '\n';
        return 1;
    }
    platform::configureWindowSystem();
    QApplication app(argc, argv);
    if (screenshots)
        shots::defaultMessages = qInstallMessageHandler(shots::screenshotMessages);
    const QStringList args = app.arguments();
    const qsizetype smoke = args.indexOf(QStringLiteral("--smoke"));
    if (smoke >= 0) {
        if (smoke + 1 >= args.size()) {
            QTextStream(stderr) << "usage: " << args.value(0) << " --smoke DIR\n";
            return 2;
        }
        return runSmoke(args.at(smoke + 1));
    }
    const qsizetype at = args.indexOf(QStringLiteral("--screenshots"));
    if (at < 0 || at + 1 >= args.size()) {
        QTextStream(stderr) << "usage: " << args.value(0) << " --screenshots DIR [--only GROUP] | --smoke DIR\n";
        return 2;
    }
    const qsizetype only = args.indexOf(QStringLiteral("--only"));
    const QString group = only >= 0 ? args.value(only + 1) : QString();
    const QString folder = args.at(at + 1);
    QDir().mkpath(folder);
    shots::FolderSink sink(folder);
    for (auto& [name, render] : shots::registry()) {
        if (!group.isEmpty() && name != group)
            continue;
        render(sink);
    }
    QTextStream(stdout) << sink.written << " pictures in " << folder << '\n';
    return sink.failed ? 1 : 0;
}
