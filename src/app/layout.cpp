#include "app/layout.h"

#include <array>
#include <stdexcept>

namespace quill::app::layout {
namespace {

using enum ControlId;
using enum ControlKind;

constexpr ControlId kNone = Frame1;

constexpr std::array kMainControls{
    Control{Frame1, "Frame1", Frame, false, kNone, 120, 120, 6855, 5775,
            "Text der in den Client (Buch) übertragen werden soll", 0, true},
    Control{Command1, "Command1", PushButton, false, kNone, 7080, 240, 1815, 375, "&Text übertragen", 1, true,
            Action::Command1_Click},
    Control{Command2, "Command2", PushButton, false, kNone, 7080, 720, 1815, 375, "Text &löschen", 2, true,
            Action::Command2_Click},
    Control{Command3, "Command3", PushButton, false, kNone, 7080, 6000, 1815, 375, "E&xit", 3, true,
            Action::Command3_Click},
    Control{Command4, "Command4", PushButton, false, kNone, 7080, 5640, 1815, 255, "About", 4, true,
            Action::Command4_Click},
    // The client lists List1(0..2) (tab positions 5 to 7) are no controls here: the main window keeps
    // the found clients as records (client::ClientList), never shown.
    Control{Text1, "Text1", RichEdit, true, Frame1, 120, 240, 6615, 5415, "", 8, true},
    Control{Frame2, "Frame2", Frame, false, kNone, 120, 5760, 6855, 615, "", 9, true},
    Control{Label1, "Label1", Label, true, Frame2, 120, 240, 3855, 255, "Delay von Zeichen zu Zeichen (0,2s)",
            10, true},
    Control{Slider1, "Slider1", Slider, true, Frame2, 3960, 240, 2775, 255, "", 11, true},
};

constexpr std::array kFocusOrder{Command1, Command2, Command3, Command4, Text1, Slider1};

constexpr std::array kMenu{
    MenuItem{"mnu_datei", "&Datei", false, "", Action::None},
    MenuItem{"mnu_datei_neu", "&Neu", true, "Ctrl+N", Action::mnu_datei_neu_Click},
    MenuItem{"mnu_nothing1", "-", true, "", Action::None},
    MenuItem{"mnu_datei_oeffnen", "Oe&ffnen", true, "Ctrl+O", Action::mnu_datei_oeffnen_Click},
    MenuItem{"mnu_datei_speichern", "&Speichern", true, "Ctrl+S", Action::mnu_datei_speichern_Click},
    MenuItem{"mnu_nothing", "-", true, "", Action::None},
    MenuItem{"mnu_datei_beenden", "&Beenden", true, "Ctrl+X", Action::mnu_datei_beenden_Click},
    MenuItem{"mnu_features", "&Features v2...", false, "", Action::mnu_features_Click},
    MenuItem{"mnu_info", "&Info...", false, "", Action::mnu_info_Click},
};

constexpr Rgb kDarkRed{192, 0, 0};
constexpr Rgb kDarkGreen{0, 128, 0};
constexpr Rgb kGreen{0, 255, 0};

constexpr std::array kDrawing{
    Drawing{"Shape1", ShapeKind::FilledCircle, 7680, 3960, 735, 0, kDarkRed, 0},
    Drawing{"Shape2", ShapeKind::FilledSquare, 7920, 4200, 255, 0, kDarkGreen, 0},
    Drawing{"Line1", ShapeKind::Line, 7800, 4200, 8280, 4200, kGreen, 5},
    Drawing{"Line2", ShapeKind::Line, 7800, 4440, 8280, 4440, kGreen, 5},
    Drawing{"Line3", ShapeKind::Line, 7920, 4080, 7920, 4560, kGreen, 5},
    Drawing{"Line4", ShapeKind::Line, 8160, 4080, 8160, 4560, kGreen, 5},
    Drawing{"Line5", ShapeKind::Line, 7440, 4200, 8640, 4200, kWindowGrey, 3},
    Drawing{"Line6", ShapeKind::Line, 7440, 4440, 8640, 4440, kWindowGrey, 3},
    Drawing{"Line7", ShapeKind::Line, 7920, 3720, 7920, 4920, kWindowGrey, 3},
    Drawing{"Line8", ShapeKind::Line, 8160, 3720, 8160, 4920, kWindowGrey, 3},
};

constexpr ControlId kNoContainer = cmdOK;

constexpr std::array kAboutControls{
    Control{cmdOK, "cmdOK", PushButton, false, kNoContainer, 4245, 3225, 1260, 345, "OK", 0, true},
    Control{picIcon, "picIcon", Label, false, kNoContainer, 240, 240, 540, 540, "", 1, true},
    // The labels' texts come from the dialog's load handler (about/about.h).
    Control{lblDescription, "lblDescription", Label, false, kNoContainer, 1050, 1125, 3885, 810, "", 2, true},
    Control{lblDisclaimer, "lblDisclaimer", Label, false, kNoContainer, 255, 3225, 3870, 345, "", 3, true},
    Control{lblTitle, "lblTitle", Label, false, kNoContainer, 1050, 240, 3885, 480, "", 4, true},
    Control{lblVersion, "lblVersion", Label, false, kNoContainer, 1050, 780, 3885, 225, "", 5, true},
    Control{lContact, "lContact", Label, false, kNoContainer, 1080, 2040, 3855, 855, "", 6, true},
};

constexpr Rgb kDarkGrey{128, 128, 128};
constexpr Rgb kWhite{255, 255, 255};

constexpr std::array kAboutDrawing{
    Drawing{"Line1(1)", ShapeKind::Line, 90, 3045, 5654, 3045, kDarkGrey, 1},
    Drawing{"Line1(0)", ShapeKind::Line, 105, 3060, 5654, 3060, kWhite, 2},
};

}  // namespace

std::span<const Control> mainControls() {
    return kMainControls;
}
std::span<const ControlId> mainFocusOrder() {
    return kFocusOrder;
}
std::span<const MenuItem> mainMenu() {
    return kMenu;
}
std::span<const Drawing> mainDrawing() {
    return kDrawing;
}
std::span<const Control> aboutControls() {
    return kAboutControls;
}
std::span<const Drawing> aboutDrawing() {
    return kAboutDrawing;
}

const Control& control(ControlId id) {
    for (const Control& c : kMainControls)
        if (c.id == id) return c;
    for (const Control& c : kAboutControls)
        if (c.id == id) return c;
    throw std::out_of_range("unknown control");
}

}  // namespace quill::app::layout
