// Where the practice client draws its two facing pages, the page numbers, the buttons to turn the
// pages and the status line. Both programs paint from the same measures.
#pragma once

namespace quill::practice {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
    friend bool operator==(const Box&, const Box&) = default;
};

// Colours as 0xRRGGBB.
inline constexpr unsigned kBackgroundColour = 0x2B211B;
inline constexpr unsigned kCoverColour = 0x5A3A22;
inline constexpr unsigned kCoverEdgeColour = 0x3C2614;
inline constexpr unsigned kPageColour = 0xF3E6C4;
inline constexpr unsigned kPageShadeColour = 0xD9C69A;
inline constexpr unsigned kInkColour = 0x2E1F12;
inline constexpr unsigned kHintColour = 0x8A7450;
inline constexpr unsigned kRuleColour = 0xE2D2AA;
inline constexpr unsigned kStatusColour = 0xE8DCC0;
inline constexpr unsigned kButtonColour = 0x7A5534;
inline constexpr unsigned kButtonDisabledColour = 0x4A3524;
inline constexpr unsigned kErrorColour = 0xFF8A70;

// The window's size at 96 dots per inch when it opens.
inline constexpr int kDefaultWidth = 900;
inline constexpr int kDefaultHeight = 600;
inline constexpr int kMinimumWidth = 560;
inline constexpr int kMinimumHeight = 380;

struct BookGeometry {
    Box cover;
    Box pages[2];
    // The eight lines of each page, top to bottom, one line every lineHeight pixels.
    Box text[2];
    Box pageNumbers[2];
    int lineHeight = 0;
    // The font's pixel size the lines are meant for; front-ends shrink it if a line is too wide.
    int fontPixels = 0;
    Box previousButton;
    Box nextButton;
    Box status;
};

// Measures for a client area of width x height pixels (clamped to the minimum size).
BookGeometry layoutBook(int width, int height);

}  // namespace quill::practice
