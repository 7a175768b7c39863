#include "about/about.h"

#include "app/layout.h"

namespace quill::about {

AboutTexts frmAbout_Form_Load(const ApplicationInfo& info) {
    using app::layout::ControlId;
    AboutTexts texts;
    texts.caption = "Info zu " + info.title;
    texts.version = "Version " + std::to_string(info.major) + "." + std::to_string(info.minor) + "." +
                    std::to_string(info.revision);
    texts.title = info.title;
    texts.contact =
        "Contact:\r\n"
        "EMail: quillpost@example.org\r\n"
        "ICQ: 123456789\r\n"
        "Website: -wieder keine-";
    texts.description = std::string(app::layout::control(ControlId::lblDescription).caption);
    texts.disclaimer = std::string(app::layout::control(ControlId::lblDisclaimer).caption);
    return texts;
}

}  // namespace quill::about
