#pragma once
// Screen image files: a captured screen bitmap written as a standard bitmap file (file header
// "BM", 40-byte information header, palette for depths up to 8 bits, bottom-up rows padded to
// four bytes). The colour depth follows the depth of the display the image came from.
#include <cstdint>
#include <string>
#include <vector>

#include "system/wintypes.h"

// The pixels the view captured from the screen, top row first, as COLORREF (0x00BBGGRR), with
// the display's depth (planes x bits per pixel) at the time of the capture.
class CScreenImage {
public:
    // Larger captures are refused: no screen is this big, and the file size must fit 32 bits.
    static constexpr int kMaxSide = 16384;

    CScreenImage() = default;
    // A black image; sizes outside 1..kMaxSide give an empty image.
    CScreenImage(int width, int height, int displayDepth);

    bool IsEmpty() const { return m_pixels.empty(); }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetDisplayDepth() const { return m_nDisplayDepth; }
    void SetDisplayDepth(int depth) { m_nDisplayDepth = depth; }

    // Out-of-range coordinates are ignored (set) or read as black (get).
    void SetPixel(int x, int y, COLORREF color);
    COLORREF GetPixel(int x, int y) const;

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nDisplayDepth = 24;
    std::vector<COLORREF> m_pixels;
};

// Bits per pixel of the file for a display depth: up to 1 -> 1, up to 4 -> 4, up to 8 -> 8,
// up to 24 -> 24, above -> 32.
int BitmapBitsForDepth(int displayDepth);

// Number of palette entries written for a file depth (2, 16, 256, or 0 above 8 bits).
int BitmapPaletteEntries(int bitsPerPixel);

// The whole file in memory; empty for an empty image.
std::vector<std::uint8_t> EncodeWindowBitmap(const CScreenImage& image);

// Writes the file through a temporary file, so a failed write keeps an older file of that name.
// False for an empty image (nothing is written) or when the file cannot be written.
bool WriteWindowBitmap(const CScreenImage& image, const std::string& path);

// The kind of image file a name asks for, by its extension without regard to case: ".bmp",
// ".png", ".jpg" or ".jpeg"; anything else is Unknown.
enum class ImageFileType { Bitmap, Png, Jpeg, Unknown };
ImageFileType ImageFileTypeOfPath(const std::string& path);
