// The pause between two typed characters, set on the slider in tenths of a second.
#pragma once

#include <string>
#include <string_view>

namespace quill::transfer {

// Slider range: up to half a second, and 0 pauses a running transfer.
inline constexpr int kDelayMinimum = 0;
inline constexpr int kDelayMaximum = 5;
inline constexpr int kDelayStart = 2;

// Timer interval for a slider value: v x 100 ms.
int delayInterval(int sliderValue);

// v / 10 in its shortest form with the given decimal separator and a leading zero: 0, 0,2, 1, 1,5.
std::string formatTenths(int tenths, std::string_view decimalSeparator);

// "Delay von Zeichen zu Zeichen (" + seconds + "s)".
std::string delayCaption(int sliderValue, std::string_view decimalSeparator);

}  // namespace quill::transfer
