// The About dialog's content: application data and the texts its load handler builds.
#pragma once

#include <string>

namespace quill::about {

struct ApplicationInfo {
    std::string title = "Quillpost";
    int major = 2;
    int minor = 0;
    int revision = 1;
};

// The version as the program file carries it.
inline constexpr const char* kFileVersionText = "2.00.0001";

struct AboutTexts {
    std::string caption;      // "Info zu Quillpost"
    std::string version;      // lblVersion: "Version 2.0.1"
    std::string title;        // lblTitle
    std::string contact;      // lContact: four lines joined by CR LF
    std::string description;  // lblDescription
    std::string disclaimer;   // lblDisclaimer
};

// Form_Load of frmAbout: builds every text from the application data.
AboutTexts frmAbout_Form_Load(const ApplicationInfo& info = {});

}  // namespace quill::about
