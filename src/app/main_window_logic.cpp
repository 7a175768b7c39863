#include "app/main_window_logic.h"

#include <cstdio>
#include <variant>

#include "app/editor_limits.h"
#include "core/unicode.h"
#include "transfer/delay.h"

namespace quill::app {

const char* const kFeaturesText =
    "Neue Features...\r\n"
    "- Word (.doc) und Richtext (.rtf) Dateien werden unterstützt\r\n"
    "- Datei Laden und Speichern funktioniert jetzt (Bug fixed <- hach, das sag ich gern *g*)\r\n"
    "- Delay beim Übertragen eingebaut, je Zeichen (einstellbar, 0.2s empfohlen)\r\n"
    "- Fenstergröße kann nichtmehr verändert werden\r\n"
    "\r\n"
    "Ideen? vorschläge? Contact me ;)";

namespace {

constexpr const char* kTransferTitle = "Hey, Dude!";

std::string characterName(char32_t character) {
    std::string text = "\"";
    core::appendUtf8(text, character);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    return text + "\" (" + code + ")";
}

}  // namespace

FrmMainLogic::FrmMainLogic(platform::WindowSystem& windows, MainWindowControls controls,
                           document::SaveEncoding saveEncoding)
    : windows_(windows),
      controls_(controls),
      saveEncoding_(saveEncoding),
      engine_(windows, controls.text1, controls.timer1) {}

void FrmMainLogic::Form_Load(platform::WindowHandle ownWindow) {
    client::RefreshClientList(windows_, clients_, ownWindow);
    if (clients_.empty()) controls_.messages.show(kNoClientText, kNoClientTitle);
}

void FrmMainLogic::Command1_Click() {
    if (engine_.start(clients_) == transfer::StartResult::NoClient) {
        controls_.messages.show(kNoClientText, kNoClientTitle);
    }
}

void FrmMainLogic::Timer1_Timer() {
    switch (engine_.tick()) {
        case transfer::TickResult::ClientClosed:
            controls_.messages.show(
                "Der UO Client wurde geschlossen. Die Übertragung wurde angehalten, es ging keine Taste "
                "an ein anderes Fenster.",
                kTransferTitle);
            break;
        case transfer::TickResult::SendFailed:
            controls_.messages.show("Das Zeichen " + characterName(engine_.failedCharacter()) +
                                        " konnte nicht übertragen werden. Die Übertragung wurde an "
                                        "dieser Stelle angehalten.",
                                    kTransferTitle);
            break;
        case transfer::TickResult::KeysHeld:
            controls_.messages.show(
                "Die Tasten kommen beim UO Client nicht an: Der Desktop hält sie zurück. Erlaube Quillpost "
                "die Eingabe, wenn der Desktop danach fragt (GNOME: „Fernzugriff zulassen“ einschalten, "
                "dann „Freigeben“; KDE Plasma: „Fernsteuerung angefordert“ mit „Teilen“ beantworten), und "
                "starte die Übertragung neu. Die Übertragung wurde beim Zeichen " +
                    characterName(engine_.failedCharacter()) +
                    " angehalten, es gingen keine weiteren Tasten hinaus.",
                kTransferTitle);
            break;
        default:
            break;
    }
}

void FrmMainLogic::Slider1_Change() {
    controls_.label1.setCaption(
        transfer::delayCaption(controls_.slider1.value(), controls_.program.decimalSeparator()));
    controls_.timer1.setInterval(transfer::delayInterval(controls_.slider1.value()));
}

void FrmMainLogic::clearEditor() {
    controls_.text1.clear();
}

void FrmMainLogic::Command2_Click() {
    clearEditor();
}
void FrmMainLogic::mnu_datei_neu_Click() {
    clearEditor();
}

void FrmMainLogic::Command3_Click() {
    controls_.program.endProgram();
}
void FrmMainLogic::mnu_datei_beenden_Click() {
    controls_.program.endProgram();
}

void FrmMainLogic::Command4_Click() {
    controls_.about.showAbout();
}
void FrmMainLogic::mnu_info_Click() {
    controls_.about.showAbout();
}

void FrmMainLogic::mnu_features_Click() {
    controls_.messages.show(kFeaturesText, kFeaturesTitle);
}

FileDialogRequest FrmMainLogic::fileDialogRequest(const char* title) const {
    return FileDialogRequest{title, controls_.program.applicationDirectory(), kFileFilter, 1};
}

void FrmMainLogic::mnu_datei_oeffnen_Click() {
    const auto path = controls_.cd.showOpen(fileDialogRequest(kOpenDialogTitle));
    if (!path || path->empty()) return;
    // Plain text without a byte-order mark reads in the code page the program saves in here.
    auto result = document::readDocumentFile(*path, saveEncoding_.ansiCodePage);
    if (auto* failure = std::get_if<document::Failure>(&result)) {
        controls_.messages.show(failure->message, kOpenDialogTitle);
        return;
    }
    const auto& loaded = std::get<document::Document>(result);
    // A text the editor cannot show without hanging is refused before the editor is touched.
    if (auto failure = checkFitsEditor(loaded, document::displayNameOf(*path))) {
        controls_.messages.show(failure->message, kOpenDialogTitle);
        return;
    }
    controls_.text1.setDocument(loaded);
}

bool FrmMainLogic::Text1_Paste(std::u16string_view pasted) {
    const auto failure = checkPasteFitsEditor(extentOf(controls_.text1.plainText()), extentOf(pasted));
    if (failure) controls_.messages.show(failure->message, kTransferTitle);
    return !failure;
}

void FrmMainLogic::mnu_datei_speichern_Click() {
    const auto path = controls_.cd.showSave(fileDialogRequest(kSaveDialogTitle));
    if (!path || path->empty()) return;
    const std::string text = core::utf16ToUtf8(controls_.text1.plainText());
    if (auto failure = document::savePlainTextFile(*path, text, saveEncoding_)) {
        controls_.messages.show(failure->message, kSaveDialogTitle);
    }
}

void FrmMainLogic::run(layout::Action action) {
    using enum layout::Action;
    switch (action) {
        case None:
            return;
        case Command1_Click:
            return this->Command1_Click();
        case Command2_Click:
            return this->Command2_Click();
        case Command3_Click:
            return this->Command3_Click();
        case Command4_Click:
            return this->Command4_Click();
        case mnu_datei_neu_Click:
            return this->mnu_datei_neu_Click();
        case mnu_datei_oeffnen_Click:
            return this->mnu_datei_oeffnen_Click();
        case mnu_datei_speichern_Click:
            return this->mnu_datei_speichern_Click();
        case mnu_datei_beenden_Click:
            return this->mnu_datei_beenden_Click();
        case mnu_features_Click:
            return this->mnu_features_Click();
        case mnu_info_Click:
            return this->mnu_info_Click();
    }
}

}  // namespace quill::app
