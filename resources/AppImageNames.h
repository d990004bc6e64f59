#pragma once
// The application's own pictures: their resource names and their sizes in
// points. The picture generator (tools/mkimages) draws each at scale 1 and 2;
// the user interface serves them from the resource prefix ":/images/".
// Plain data only, so the generator and the tests can include it too.

#include <array>
#include <string_view>

namespace appimages {

struct ImageSpec {
    std::string_view name;  // resource name, as the interface asks for it
    int width;              // size in points (device-independent pixels)
    int height;
};

inline constexpr std::array<ImageSpec, 32> kImages{{
    // Menu triangle of the tabs and the mouse button headers.
    {"TriangleDown.png", 12, 8},
    // Background of the window body.
    {"MainBackground.png", 1000, 486},
    // Function tab icons.
    {"TAB_Icon_APC TAB active.png", 28, 28},
    {"TAB_Icon_APC TAB not active.png", 28, 28},
    {"TAB_Icon_Key Lock TAB active.png", 28, 28},
    {"TAB_Icon_Key Lock TAB not active.png", 28, 28},
    {"TAB_Icon_Setting active.png", 28, 28},
    {"TAB_Icon_Setting not active.png", 28, 28},
    {"TAB_Icon_Button TAB active.png", 28, 28},
    {"TAB_Icon_Button TAB not active.png", 28, 28},
    {"TAB_Icon_LED TAB active.png", 28, 28},
    {"TAB_Icon_LED TAB not active.png", 28, 28},
    {"TAB_Icon_Sensor TAB active.png", 28, 28},
    {"TAB_Icon_Sensor TAB not active.png", 28, 28},
    // Two-state switches of the panels (key lock, mouse lights).
    {"VX_RGB_ICON_Lock_Enable.png", 40, 20},
    {"VX_RGB_ICON_Lock_Disable.png", 40, 20},
    // DPI setting switches, one colour per setting, and the common off look.
    {"VX_MOUSE_DPI-blue.png", 40, 20},
    {"VX_MOUSE_DPI-green.png", 40, 20},
    {"VX_MOUSE_DPI-purple.png", 40, 20},
    {"VX_MOUSE_DPI-yellow.png", 40, 20},
    {"VX_MOUSE_DPI-off.png", 40, 20},
    // DPI setting radios.
    {"VX_MOUSE_DPI_ON.png", 20, 20},
    {"VX_MOUSE_DPI_OFF.png", 20, 20},
    // Lift-off distance radios.
    {"VX_MOUSE_LOD_LOW active.png", 56, 40},
    {"VX_MOUSE_LOD_LOW not active.png", 56, 40},
    {"VX_MOUSE_LOD_HIGH active.png", 56, 40},
    {"VX_MOUSE_LOD_HIGH not active.png", 56, 40},
    // Send button pictures.
    {"savekeyboard_KeyBoard_ICON", 24, 24},
    {"savemouse_Mouse_ICON", 24, 24},
    // Brightness ends of the indicator LED dialog's slider.
    {"LedBrightnessMin.png", 20, 20},
    {"LedBrightnessMax.png", 20, 20},
    // The application's picture (About window).
    {"AppIcon.png", 128, 128},
}};

// The application icon's sizes in the hicolor theme (square, pixels).
inline constexpr std::array<int, 3> kAppIconSizes{48, 128, 256};

// The file name of the icon in the theme: <size>x<size>/apps/<kIconName>.png.
inline constexpr std::string_view kIconName = "kolventra";

} // namespace appimages
