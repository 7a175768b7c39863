#include "about/about.h"

namespace quill::about {

AboutTexts frmAbout_Form_Load(const ApplicationInfo& info) {
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
    texts.description =
        "Mit diesem Tool kannst du den Text den du in dem Textfeld eingegeben hast in deinen UO Client "
        "übertragen um zB mehrere Bücher mit dem selben Inhalt zu schreiben ;)";
    texts.disclaimer = "Warnung: Nicht geeignet für Kinder unter 8 Jahren *g*";
    return texts;
}

}  // namespace quill::about
