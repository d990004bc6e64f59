// kolventra_mkdata: writes the data the application ships (the built-in
// defaults file and the description packages of the shipped models) into a
// folder. Run by the build.
//
//   kolventra_mkdata <output folder> [--pictures <folder>]
//
// --pictures also writes every picture as a PNG file, for looking at them.
#include "Generator.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

// Only failures reach the build's output; Qt's notes about the environment
// (no runtime folder and the like) are not of interest here.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "kolventra_mkdata: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietHandler);
    // Pictures are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments().mid(1);
    QString folder;
    QString pictures;
    bool good = true;
    for (qsizetype i = 0; i < args.size() && good; ++i) {
        if (args[i] == QLatin1String("--pictures") && i + 1 < args.size())
            pictures = args[++i];
        else if (folder.isEmpty() && !args[i].startsWith(QLatin1Char('-')))
            folder = args[i];
        else
            good = false;
    }
    if (!good || folder.isEmpty()) {
        std::fprintf(stderr, "usage: kolventra_mkdata <output folder> [--pictures <folder>]\n");
        return 2;
    }
    QString error;
    if (!mkdata::generateAll(folder, pictures, error)) {
        std::fprintf(stderr, "kolventra_mkdata: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
