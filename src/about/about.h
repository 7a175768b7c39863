// The About dialog's content: application data and the texts its load handler builds.
#pragma once

#include <string>

#include "about/version.h"

namespace quill::about {

struct ApplicationInfo {
    std::string title = "Quillpost";
    int major = QUILL_VERSION_MAJOR;
    int minor = QUILL_VERSION_MINOR;
    int revision = QUILL_VERSION_PATCH;
};

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
