// The reference the main window's start is measured against: a bare Qt
// Widgets window, in a program that links Qt Widgets alone. It shows an empty
// window of the size given (default 1000 x 700), prints "painted" after its
// first paint and quits.
// Usage: kolventra_bare_window [width height]
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        if (painted_)
            return;
        painted_ = true;
        std::printf("painted\n");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    bool painted_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Window window;
    window.resize(argc > 2 ? std::atoi(argv[1]) : 1000, argc > 2 ? std::atoi(argv[2]) : 700);
    window.show();
    return app.exec();
}
