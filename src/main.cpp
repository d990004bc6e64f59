// The application: one instance per user in a graphical session; the main
// window until it closes.
#include "AppDelegate.h"
#include "CustomControl/AppImages.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Platform/Allocator.h"
#include "Platform/WindowSystem.h"

#include <QApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QTextStream>

#include <csignal>

int main(int argc, char** argv)
{
    // A launcher may leave child exits ignored, which outlives exec: the
    // system would then reap every child process itself, and the exit status
    // of none (the display check, the processes that read the defaults and
    // the settings) could be learned. Before any child process or thread.
    std::signal(SIGCHLD, SIG_DFL);
    // Without a display that lets this user in, Qt would end the start with
    // an abort and advice to reinstall, or wait for ever on one that never
    // answers; say which display cannot be used, and why, instead.
    if (const QString missing = platform::chooseWindowSystem(argc, argv); !missing.isEmpty()) {
        QTextStream(stderr) << "kolventra: " << missing << '\n';
        return 1;
    }
    platform::configureWindowSystem();
    // Before any other thread runs: pictures let go give their memory back.
    platform::mapPictureBlocksAlone();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kolventra"));
    QApplication::setOrganizationName(QStringLiteral("Nembo"));
    QGuiApplication::setDesktopFileName(QStringLiteral(KOLVENTRA_APP_ID));

    const auto lock = AppDelegate::acquireSingleInstance();
    if (!lock) {
        if (lock.problem.isEmpty())
            return 0;  // another instance runs; it is left alone
        QTextStream(stderr) << "kolventra: " << lock.problem << '\n';
        return 1;
    }

    AppDelegate delegate;
    if (!delegate.applicationDidFinishLaunching()) {
        const QString path = delegate.defaultsFilePath();
        QTextStream(stderr) << "kolventra: the built-in defaults file " << path
                            << (QFileInfo::exists(path) ? " cannot be read\n" : " does not exist\n");
        return 1;
    }
    // The window icon (two pictures to decode) once the window has been
    // painted: the first paint does not wait for it.
    QObject::connect(
        delegate.mainController()->mainView(), &MainView::firstPaint, &app,
        [] { QApplication::setWindowIcon(ui::appIcon(QStringLiteral("AppIcon.png"))); },
        Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    return app.exec();
}
