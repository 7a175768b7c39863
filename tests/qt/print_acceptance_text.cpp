// Writes the acceptance text to stdout, for the end-to-end script.
#include <cstdio>

#include "support/acceptance_text.h"

int main() {
    const auto& text = quill::testing::kAcceptanceText;
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
}
