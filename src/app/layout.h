// The main window and the About dialog as data: every control, its place in twips, its caption,
// its tab position, the menu bar and the decorative drawing. Both front-ends build their windows
// from these tables. 15 twips make one pixel at 96 DPI.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace quill::app::layout {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    constexpr std::uint32_t value() const { return (std::uint32_t{red} << 16) | (green << 8) | blue; }
};

inline constexpr Rgb kWindowGrey{192, 192, 192};

// Converts twips to pixels at the given DPI, rounding to the nearest pixel.
constexpr int twipsToPixels(int twips, int dpi = 96) {
    return (twips * dpi + 720) / 1440;
}

enum class ControlKind { Frame, PushButton, RichEdit, Label, Slider };

// What a button or a menu item does when it is clicked: one action per control, named after the
// handler of FrmMainLogic that runs it (FrmMainLogic::run maps each to its handler).
enum class Action {
    None,
    Command1_Click,
    Command2_Click,
    Command3_Click,
    Command4_Click,
    mnu_datei_neu_Click,
    mnu_datei_oeffnen_Click,
    mnu_datei_speichern_Click,
    mnu_datei_beenden_Click,
    mnu_features_Click,
    mnu_info_Click,
};

enum class ControlId {
    Frame1,
    Command1,
    Command2,
    Command3,
    Command4,
    Text1,
    Frame2,
    Label1,
    Slider1,
    // About dialog
    cmdOK,
    picIcon,
    lblDescription,
    lblDisclaimer,
    lblTitle,
    lblVersion,
    lContact,
};

struct Control {
    ControlId id;
    std::string_view name;  // e.g. "Command1"
    ControlKind kind;
    // Containing control, or none for the window's client area. Left/Top are relative to the
    // container's outer top-left corner.
    bool insideContainer;
    ControlId container;
    int left, top, width, height;  // twips
    std::string_view caption;      // UTF-8; '&' marks the access key
    int tabIndex;                  // -1: no tab position
    bool visible;
    Action action = Action::None;  // buttons: what a click does
};

// FrmMain.
inline constexpr int kMainClientWidth = 9015;
inline constexpr int kMainClientHeight = 6480;
inline constexpr std::string_view kMainCaptionStart = "UO Quillpost v2";
// Twelve blanks, then the author credit.
inline constexpr std::string_view kMainCaption = "UO Quillpost v2            by the Quillpost team";
inline constexpr std::string_view kMainFontFamily = "Courier New";
inline constexpr int kMainFontPoints = 9;
inline constexpr int kMainFontWeight = 700;

std::span<const Control> mainControls();
// Controls that take the focus, in focus order: Command1..4, Text1, Slider1.
std::span<const ControlId> mainFocusOrder();
const Control& control(ControlId id);

struct MenuItem {
    std::string_view name;
    std::string_view caption;   // "-" for a separator
    bool inDateiMenu;           // false: on the menu bar itself
    std::string_view shortcut;  // "Ctrl+N" or empty
    Action action;              // Action::None for the "Datei" menu itself and separators
};
std::span<const MenuItem> mainMenu();

enum class ShapeKind { FilledCircle, FilledSquare, Line };
struct Drawing {
    std::string_view name;
    ShapeKind kind;
    // Circle/square: left, top, side; line: x1, y1, x2, y2. All twips.
    int a, b, c, d;
    Rgb color;
    int penWidth;  // pixels, lines only
};
std::span<const Drawing> mainDrawing();

// frmAbout.
inline constexpr int kAboutClientWidth = 5730;
inline constexpr int kAboutClientHeight = 3615;
inline constexpr int kAboutClientLeft = 2340;  // from the screen's top-left corner
inline constexpr int kAboutClientTop = 1935;

std::span<const Control> aboutControls();
// The etched separator: Line1(1) then Line1(0), drawn in that order.
std::span<const Drawing> aboutDrawing();

}  // namespace quill::app::layout
