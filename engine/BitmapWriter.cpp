#include "engine/BitmapWriter.h"

#include <algorithm>
#include <unordered_map>

#include "system/LittleEndian.h"
#include "system/Paths.h"

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;

struct Rgb {
    std::uint8_t r, g, b;
};

Rgb Split(COLORREF c) {
    return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
            static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}

// Palettes of the low-depth files: black and white; the sixteen standard colours; and for
// eight bits a 6 x 6 x 6 colour cube followed by a ramp of 40 greys.
constexpr Rgb kTwoColours[2] = {{0, 0, 0}, {255, 255, 255}};
constexpr Rgb kSixteenColours[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                     {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                     {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                     {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

std::vector<Rgb> PaletteFor(int bits) {
    std::vector<Rgb> p;
    if (bits == 1) {
        for (const Rgb& c : kTwoColours)
            p.push_back(c);
    } else if (bits == 4) {
        for (const Rgb& c : kSixteenColours)
            p.push_back(c);
    } else if (bits == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back({static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                                 static_cast<std::uint8_t>(b * 51)});
        for (int i = 0; i < 40; ++i) {
            const auto v = static_cast<std::uint8_t>(i * 255 / 39);
            p.push_back({v, v, v});
        }
    }
    return p;
}

int NearestEntry(const std::vector<Rgb>& palette, Rgb c) {
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        const long dr = static_cast<long>(c.r) - palette[i].r;
        const long dg = static_cast<long>(c.g) - palette[i].g;
        const long db = static_cast<long>(c.b) - palette[i].b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

} // namespace

CScreenImage::CScreenImage(int width, int height, int displayDepth) : m_nDisplayDepth(displayDepth) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return;
    m_nWidth = width;
    m_nHeight = height;
    m_pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), COLORREF{0});
}

void CScreenImage::SetPixel(int x, int y, COLORREF color) {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return;
    m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)] = color;
}

COLORREF CScreenImage::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return 0;
    return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)];
}

int BitmapBitsForDepth(int displayDepth) {
    if (displayDepth <= 1)
        return 1;
    if (displayDepth <= 4)
        return 4;
    if (displayDepth <= 8)
        return 8;
    if (displayDepth <= 24)
        return 24;
    return 32;
}

int BitmapPaletteEntries(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? (1 << bitsPerPixel) : 0;
}

std::vector<std::uint8_t> EncodeWindowBitmap(const CScreenImage& image) {
    if (image.IsEmpty())
        return {};
    const int bits = BitmapBitsForDepth(image.GetDisplayDepth());
    const std::vector<Rgb> palette = PaletteFor(bits);
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const std::uint32_t stride =
        ((static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bits) + 31) / 32) * 4;
    const std::uint32_t imageBytes = stride * static_cast<std::uint32_t>(height);
    const std::uint32_t offset =
        kFileHeaderBytes + kInfoHeaderBytes + static_cast<std::uint32_t>(palette.size()) * 4;

    kv::LeWriter w;
    // File header: "BM", file size, two reserved words, offset of the bits.
    w.U8('B');
    w.U8('M');
    w.U32(offset + imageBytes);
    w.U16(0);
    w.U16(0);
    w.U32(offset);
    // Information header: size, width, height (positive: bottom-up rows), planes, bit count,
    // no compression, image size, resolution, colours used and important.
    w.U32(kInfoHeaderBytes);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(static_cast<std::uint16_t>(bits));
    w.U32(0);
    w.U32(imageBytes);
    w.I32(3780); // 96 dots per inch in pixels per metre
    w.I32(3780);
    w.U32(static_cast<std::uint32_t>(palette.size()));
    w.U32(0);
    // Palette entries: blue, green, red, reserved.
    for (const Rgb& e : palette) {
        w.U8(e.b);
        w.U8(e.g);
        w.U8(e.r);
        w.U8(0);
    }

    std::unordered_map<COLORREF, int> cache;
    auto index = [&](COLORREF c) {
        auto it = cache.find(c);
        if (it != cache.end())
            return it->second;
        const int i = NearestEntry(palette, Split(c));
        cache.emplace(c, i);
        return i;
    };
    std::vector<std::uint8_t> row(stride);
    for (int y = height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), std::uint8_t{0});
        for (int x = 0; x < width; ++x) {
            const COLORREF c = image.GetPixel(x, y);
            const auto ux = static_cast<size_t>(x);
            switch (bits) {
            case 1:
                if (index(c))
                    row[ux / 8] |= static_cast<std::uint8_t>(0x80 >> (ux % 8));
                break;
            case 4:
                row[ux / 2] |= static_cast<std::uint8_t>(ux % 2 ? index(c) : index(c) << 4);
                break;
            case 8:
                row[ux] = static_cast<std::uint8_t>(index(c));
                break;
            default: {
                const Rgb p = Split(c);
                const size_t bytes = static_cast<size_t>(bits / 8);
                row[ux * bytes] = p.b;
                row[ux * bytes + 1] = p.g;
                row[ux * bytes + 2] = p.r;
                break;
            }
            }
        }
        w.Bytes(row.data(), row.size());
    }
    return w.Data();
}

bool WriteWindowBitmap(const CScreenImage& image, const std::string& path) {
    const std::vector<std::uint8_t> bytes = EncodeWindowBitmap(image);
    if (bytes.empty())
        return false;
    return kv::WriteWholeFileAtomic(path, bytes.data(), bytes.size());
}

ImageFileType ImageFileTypeOfPath(const std::string& path) {
    // The extension's case is folded as every other file name's is.
    const std::string ext = kv::ExtensionOf4(path);
    if (ext == ".bmp")
        return ImageFileType::Bitmap;
    if (ext == ".png")
        return ImageFileType::Png;
    if (ext == ".jpg" || (ext == "jpeg" && path.size() >= 5 && path[path.size() - 5] == '.'))
        return ImageFileType::Jpeg;
    return ImageFileType::Unknown;
}
