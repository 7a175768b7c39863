// The main window's behaviour: every handler of FrmMain, written once for both front-ends.
#pragma once

#include "app/controls.h"
#include "app/layout.h"
#include "client/client_list.h"
#include "document/open_document.h"
#include "document/save_document.h"
#include "platform/window_system.h"
#include "transfer/transfer_engine.h"

namespace quill::app {

// The no-client warning.
inline constexpr const char* kNoClientText =
    "Es wurde kein aktiver UO Client gefunden, es kann kein Text übertragen werden!";
inline constexpr const char* kNoClientTitle = "Hey, Dude!";

inline constexpr const char* kFeaturesTitle = "New Features v2, Dude!";
extern const char* const kFeaturesText;

inline constexpr const char* kOpenDialogTitle = "Datei öffnen...";
inline constexpr const char* kSaveDialogTitle = "Datei speichern...";
inline constexpr const char* kFileFilter =
    "Textdateien (*.txt)|*.txt|Word-Dokumente (*.doc)|*.doc|Rich-Text Dokumente (*.RTF)|*.rtf|"
    "Alle Dateien (*.*)|*.*";

struct MainWindowControls {
    EditorControl& text1;
    LabelControl& label1;
    SliderControl& slider1;
    TimerControl& timer1;
    MessageBoxes& messages;
    FileDialog& cd;
    AboutDialogHost& about;
    ProgramServices& program;
};

class FrmMainLogic {
  public:
    FrmMainLogic(platform::WindowSystem& windows, MainWindowControls controls,
                 document::SaveEncoding saveEncoding = {});

    // Load, before the window is first shown: client scan and the no-client warning.
    void Form_Load(platform::WindowHandle ownWindow);

    void Command1_Click();  // start a transfer
    void Command2_Click();  // clear the editor
    void Command3_Click();  // end the program
    void Command4_Click();  // About
    void Slider1_Change();  // delay setting
    void Timer1_Timer();    // transfer tick
    // Text about to be pasted or dropped into the editor (lines separated by '\n' or CR LF): true when
    // it may go in; else the user is told why not.
    bool Text1_Paste(std::u16string_view pasted);

    void mnu_datei_neu_Click();
    void mnu_datei_oeffnen_Click();
    void mnu_datei_speichern_Click();
    void mnu_datei_beenden_Click();
    void mnu_features_Click();
    void mnu_info_Click();

    // Runs the handler a button's or menu item's action names (layout::Action); Action::None does nothing.
    void run(layout::Action action);

    const client::ClientList& List1() const { return clients_; }
    const transfer::TransferEngine& transfer() const { return engine_; }

  private:
    void clearEditor();
    FileDialogRequest fileDialogRequest(const char* title) const;

    platform::WindowSystem& windows_;
    MainWindowControls controls_;
    document::SaveEncoding saveEncoding_;
    client::ClientList clients_;
    transfer::TransferEngine engine_;
};

}  // namespace quill::app
