#pragma once
// The program's bitmaps, drawn in code: strips of 20 x 20 pictures for the menu (139 disabled,
// 144 normal and hot) in the order of the command-to-image table, and for the toolbar (190
// normal, 148 disabled, 149 hot) in button order.
#include <cstdint>
#include <vector>

namespace kv {

struct BitmapResource {
    int width = 0;
    int height = 0;
    // Top-down rows of 32-bit pixels: bytes B, G, R, unused (0x00RRGGBB as a number).
    std::vector<std::uint32_t> pixels;
};

// Size of one picture of a strip.
constexpr int kImageSize = 20;
// Background of the menu strips; the menu image lists leave pixels of this colour out
// (COLORREF and pixel value are the same for this colour).
constexpr std::uint32_t kMenuImageMask = 0x00FF00FFu;
// Background of the toolbar strips, close to the toolbar's own face.
constexpr std::uint32_t kToolbarImageBack = 0x00EFEFEFu;

// Fills `out` with bitmap `id`; false (and `out` emptied) for an id that is not a bitmap here.
bool LoadBitmapResource(unsigned id, BitmapResource& out);

// One 20 x 20 picture of a command on a background colour; an empty picture for a command
// without one.
BitmapResource DrawCommandImage(unsigned commandId, std::uint32_t background);

} // namespace kv
