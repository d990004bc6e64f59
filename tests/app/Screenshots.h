#pragma once
// The pictures that `make screenshots` renders: every control in each of its
// states, every panel and dialog, the main window. Each source file of this
// program registers what it renders with a ShotRegistrar; the program runs
// them all and writes one PNG per picture.

#include <QString>
#include <functional>

class QWidget;
class QImage;

namespace shots {

// Where the pictures of one run go.
class ShotSink {
public:
    virtual ~ShotSink() = default;
    // Renders the widget as it is now (shown off screen, laid out, painted)
    // into "<name>.png".
    virtual void save(const QString& name, QWidget* widget) = 0;
    virtual void save(const QString& name, const QImage& image) = 0;
};

using ShotFunction = std::function<void(ShotSink&)>;

// Registers a group of pictures; groups run in the order of their names.
struct ShotRegistrar {
    ShotRegistrar(const char* group, ShotFunction function);
};

} // namespace shots
