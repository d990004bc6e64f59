#include "AppParam.h"

#include "Device/KeyboardEntry.h"

std::shared_ptr<IDeviceEntry> AppParam::device = std::make_shared<KeyboardEntry>();

const std::map<int, CustomKeyModifier> AppParam::ModifierDict{
    {59, CustomKeyModifier::LeftCtrl}, {62, CustomKeyModifier::RightCtrl},
    {56, CustomKeyModifier::LeftShift}, {60, CustomKeyModifier::RightShift},
    {58, CustomKeyModifier::LeftAlt}, {61, CustomKeyModifier::RightAlt},
    {55, CustomKeyModifier::LCommand}, {54, CustomKeyModifier::RCommand},
};

namespace {

// Virtual key code -> custom key code. The virtual codes are those of the
// key positions of a standard keyboard (plus the seven kVK_Win* codes); the
// modifier keys give "no key" (Modifier).
std::map<int, CustomKeyCode> buildKeyCodeTable()
{
    using K = CustomKeyCode;
    return {
        {0, K::A},          {1, K::S},          {2, K::D},          {3, K::F},
        {4, K::H},          {5, K::G},          {6, K::Z},          {7, K::X},
        {8, K::C},          {9, K::V},          {11, K::B},         {12, K::Q},
        {13, K::W},         {14, K::E},         {15, K::R},         {16, K::Y},
        {17, K::T},         {18, K::D1},        {19, K::D2},        {20, K::D3},
        {21, K::D4},        {22, K::D6},        {23, K::D5},        {24, K::Quotes},
        {25, K::D9},        {26, K::D7},        {27, K::Minus},     {28, K::D8},
        {29, K::D0},        {30, K::OpenBrackets}, {31, K::O},      {32, K::U},
        {33, K::Oem3},      {34, K::I},         {35, K::P},         {36, K::Enter},
        {37, K::L},         {38, K::J},         {39, K::Oem1},      {40, K::K},
        {41, K::Plus},      {42, K::Oem6},      {43, K::Comma},     {44, K::Question},
        {45, K::N},         {46, K::M},         {47, K::Period},    {48, K::Tab},
        {49, K::Space},     {50, K::HanZen},    {51, K::Back},      {53, K::Escape},
        {54, K::Modifier},  {55, K::Modifier},  {56, K::Modifier},  {57, K::CapsLock},
        {58, K::Modifier},  {59, K::Modifier},  {60, K::Modifier},  {61, K::Modifier},
        {62, K::Modifier},  {64, K::F17},       {65, K::Decimal},   {67, K::Multiply},
        {69, K::Add},       {71, K::Clear},     {75, K::Divide},    {76, K::NumEnter},
        {78, K::Subtract},  {79, K::F18},       {80, K::F19},       {81, K::Mac_NumEqual},
        {82, K::NumPad0},   {83, K::NumPad1},   {84, K::NumPad2},   {85, K::NumPad3},
        {86, K::NumPad4},   {87, K::NumPad5},   {88, K::NumPad6},   {89, K::NumPad7},
        {91, K::NumPad8},   {92, K::NumPad9},   {93, K::Oem5},      {94, K::Backslash},
        {95, K::Mac_NumCamma}, {96, K::F5},     {97, K::F6},        {98, K::F7},
        {99, K::F3},        {100, K::F8},       {101, K::F9},       {102, K::Mac_Eisu},
        {103, K::F11},      {104, K::Mac_Kana}, {105, K::F13},      {106, K::F16},
        {107, K::F14},      {109, K::F10},      {111, K::F12},      {113, K::F15},
        {115, K::Home},     {116, K::PageUp},   {117, K::Delete},   {118, K::F4},
        {119, K::End},      {120, K::F2},       {121, K::PageDown}, {122, K::F1},
        {123, K::Left},     {124, K::Right},    {125, K::Down},     {126, K::Up},
        {kVK_WinPrintScreen, K::PrintScreen},   {kVK_WinScroll, K::Scroll},
        {kVK_WinPause, K::Pause},               {kVK_WinMuhenkan, K::ImeNonConvert},
        {kVK_WinHenkan, K::ImeConvert},         {kVK_WinInsert, K::Insert},
        {kVK_WinKana, K::DbeHiragana},
    };
}

} // namespace

const std::map<int, CustomKeyCode> AppParam::KeyCodeDict = buildKeyCodeTable();
const std::map<int, CustomKeyCode> AppParam::KeyCodeUsDict = buildKeyCodeTable();
