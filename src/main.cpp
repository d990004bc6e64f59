// The application: one instance per user; the main window until it closes.
#include "AppDelegate.h"
#include "CustomControl/AppImages.h"

#include <QApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kolventra"));
    QApplication::setOrganizationName(QStringLiteral("Nembo"));
    QGuiApplication::setDesktopFileName(QStringLiteral(KOLVENTRA_APP_ID));
    QApplication::setWindowIcon(ui::appIcon(QStringLiteral("AppIcon.png")));

    const auto lock = AppDelegate::acquireSingleInstance();
    if (!lock)
        return 0;  // another instance runs; it is left alone

    AppDelegate delegate;
    if (!delegate.applicationDidFinishLaunching()) {
        const QString path = delegate.defaultsFilePath();
        QTextStream(stderr) << "kolventra: the built-in defaults file " << path
                            << (QFileInfo::exists(path) ? " cannot be read\n" : " does not exist\n");
        return 1;
    }
    return app.exec();
}
