#include "transfer/delay.h"

#include <cstdlib>
#include <limits>

namespace quill::transfer {

int delayInterval(int sliderValue) {
    constexpr int kMaxValue = std::numeric_limits<int>::max() / 100;
    if (sliderValue > kMaxValue) return kMaxValue * 100;
    if (sliderValue < 0) return 0;
    return sliderValue * 100;
}

std::string formatTenths(int tenths, std::string_view decimalSeparator) {
    const long long value = tenths;
    std::string text = value < 0 ? "-" : "";
    const long long magnitude = std::llabs(value);
    text += std::to_string(magnitude / 10);
    if (magnitude % 10 != 0) {
        text += decimalSeparator;
        text += std::to_string(magnitude % 10);
    }
    return text;
}

std::string delayCaption(int sliderValue, std::string_view decimalSeparator) {
    return "Delay von Zeichen zu Zeichen (" + formatTenths(sliderValue, decimalSeparator) + "s)";
}

}  // namespace quill::transfer
