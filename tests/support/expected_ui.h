// What the user sees of the main window and the About dialog at 96 DPI, written out from the
// window's design (twips / 15). The Qt tests and the driver of the Windows program check the real
// windows against these values; nothing here comes from the program's own tables.
#pragma once

#include <array>
#include <string_view>

namespace quill::expected {

struct Rect {
    int left, top, width, height;  // pixels from the client area's top-left corner
};

struct Control {
    std::string_view name;
    Rect rect;
    std::string_view caption;  // '&' before the access key
    bool shown;
};

struct Rgb {
    int red, green, blue;
};

// A point of the client area and the colour it shows.
struct Probe {
    int x, y;
    Rgb colour;
    std::string_view what;
};

struct MenuLine {
    std::string_view caption;   // "-": a separator
    std::string_view shortcut;  // empty: none
};

// A 96-DPI length at another DPI, rounded half up.
constexpr int scaled(int pixels, int dpi) {
    return (pixels * dpi + 48) / 96;
}

// --- FrmMain ---------------------------------------------------------------------------------------

inline constexpr std::string_view kMainCaption = "UO Quillpost v2            by the Quillpost team";
inline constexpr int kMainWidth = 601;
inline constexpr int kMainHeight = 432;
inline constexpr Rgb kGrey{192, 192, 192};
inline constexpr std::string_view kFont = "Courier New";
inline constexpr int kFontPoints = 9;
inline constexpr int kFontWeight = 700;

// In tab order; Text1, Label1 and Slider1 sit in frames but are given from the window's corner.
// The client lists List1(0..2) are no controls: the found clients are records, never shown.
inline constexpr std::array<Control, 9> kMainControls{{
    {"Frame1", {8, 8, 457, 385}, "Text der in den Client (Buch) übertragen werden soll", true},
    {"Command1", {472, 16, 121, 25}, "&Text übertragen", true},
    {"Command2", {472, 48, 121, 25}, "Text &löschen", true},
    {"Command3", {472, 400, 121, 25}, "E&xit", true},
    {"Command4", {472, 376, 121, 17}, "About", true},
    {"Text1", {16, 24, 441, 361}, "", true},
    {"Frame2", {8, 384, 457, 41}, "", true},
    {"Label1", {16, 400, 257, 17}, "Delay von Zeichen zu Zeichen (0,2s)", true},
    {"Slider1", {272, 400, 185, 17}, "", true},
}};

inline constexpr std::array<std::string_view, 6> kFocusOrder{"Command1", "Command2", "Command3",
                                                             "Command4", "Text1",    "Slider1"};

inline constexpr std::array<std::string_view, 3> kMenuBar{"&Datei", "&Features v2...", "&Info..."};
inline constexpr std::array<MenuLine, 6> kDateiMenu{{
    {"&Neu", "Ctrl+N"},
    {"-", ""},
    {"Oe&ffnen", "Ctrl+O"},
    {"&Speichern", "Ctrl+S"},
    {"-", ""},
    {"&Beenden", "Ctrl+X"},
}};

// The drawing above "About": a dark red circle around (536, 288), a dark
// green square 528..544 x 280..296, green strokes, and grey strokes painted last through them.
inline constexpr std::array<Probe, 4> kDrawing{{
    {520, 120, kGrey, "empty background of the right-hand column"},
    {536, 288, {0, 128, 0}, "the square, between the strokes"},
    {515, 288, {192, 0, 0}, "the circle, left of the square"},
    {536, 280, kGrey, "a grey stroke through the square"},
}};

inline constexpr std::string_view kNoClientTitle = "Hey, Dude!";
inline constexpr std::string_view kNoClientText =
    "Es wurde kein aktiver UO Client gefunden, es kann kein Text übertragen werden!";
inline constexpr std::string_view kFeaturesTitle = "New Features v2, Dude!";
inline constexpr std::string_view kFeaturesText =
    "Neue Features...\r\n"
    "- Word (.doc) und Richtext (.rtf) Dateien werden unterstützt\r\n"
    "- Datei Laden und Speichern funktioniert jetzt (Bug fixed <- hach, das sag ich gern *g*)\r\n"
    "- Delay beim Übertragen eingebaut, je Zeichen (einstellbar, 0.2s empfohlen)\r\n"
    "- Fenstergröße kann nichtmehr verändert werden\r\n"
    "\r\n"
    "Ideen? vorschläge? Contact me ;)";
inline constexpr std::string_view kOpenTitle = "Datei öffnen...";
inline constexpr std::string_view kSaveTitle = "Datei speichern...";
inline constexpr std::string_view kFilter =
    "Textdateien (*.txt)|*.txt|Word-Dokumente (*.doc)|*.doc|Rich-Text Dokumente (*.RTF)|*.rtf|"
    "Alle Dateien (*.*)|*.*";

// --- frmAbout --------------------------------------------------------------------------------------

inline constexpr std::string_view kAboutCaption = "Info zu Quillpost";
// The client area on the screen: not centred, always at this place.
inline constexpr Rect kAboutClient{156, 129, 382, 241};

// In tab order; picIcon takes the size of its 32 x 32 picture.
inline constexpr std::array<Control, 7> kAboutControls{{
    {"cmdOK", {283, 215, 84, 23}, "OK", true},
    {"picIcon", {16, 16, 32, 32}, "", true},
    {"lblDescription",
     {70, 75, 259, 54},
     "Mit diesem Tool kannst du den Text den du in dem Textfeld eingegeben hast in deinen UO Client "
     "übertragen um zB mehrere Bücher mit dem selben Inhalt zu schreiben ;)",
     true},
    {"lblDisclaimer", {17, 215, 258, 23}, "Warnung: Nicht geeignet für Kinder unter 8 Jahren *g*", true},
    {"lblTitle", {70, 16, 259, 32}, "Quillpost", true},
    {"lblVersion", {70, 52, 259, 15}, "Version 2.0.1", true},
    {"lContact",
     {72, 136, 257, 57},
     "Contact:\r\nEMail: quillpost@example.org\r\nICQ: 123456789\r\nWebsite: -wieder keine-",
     true},
}};

}  // namespace quill::expected
