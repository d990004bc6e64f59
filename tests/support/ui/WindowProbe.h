#pragma once
// The main window's widgets, as tests read and drive them. The controller
// keeps them to itself; this probe is the one door tests have to them.

#include "MainViewController.h"
#include "MainWindowWidgets.h"

namespace uitest {

struct WindowProbe {
    static const MainWindowWidgets& widgets(const MainViewController& main) { return main.w_; }
};

// The widgets of `main`'s window.
inline const MainWindowWidgets& window(const MainViewController& main)
{
    return WindowProbe::widgets(main);
}

} // namespace uitest
