#include "resources/images/ImageResources.h"
#include <cmath>

#include "resources/menus/CommandImages.h"

#include <algorithm>
#include <cstdlib>

namespace kv {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b) {
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
           static_cast<std::uint32_t>(b);
}

constexpr std::uint32_t kBlack = Rgb(0, 0, 0);
constexpr std::uint32_t kWhite = Rgb(255, 255, 255);
constexpr std::uint32_t kDark = Rgb(64, 64, 64);
constexpr std::uint32_t kGrey = Rgb(128, 128, 128);
constexpr std::uint32_t kLight = Rgb(200, 200, 200);
constexpr std::uint32_t kBlue = Rgb(30, 80, 200);
constexpr std::uint32_t kGreen = Rgb(0, 160, 0);
constexpr std::uint32_t kRed = Rgb(210, 30, 30);
constexpr std::uint32_t kYellow = Rgb(240, 200, 60);
constexpr std::uint32_t kOrange = Rgb(240, 140, 20);
constexpr std::uint32_t kScreen = Rgb(20, 40, 20);
constexpr std::uint32_t kTrace = Rgb(255, 255, 0);

// A small pixel canvas; everything outside it is ignored.
class Canvas {
public:
    Canvas(int w, int h, std::uint32_t back) : m_w(w), m_h(h), m_px(static_cast<std::size_t>(w) * h, back) {}
    void Set(int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < m_w && y < m_h)
            m_px[static_cast<std::size_t>(y) * m_w + x] = c;
    }
    // Inclusive corners.
    void Fill(int x0, int y0, int x1, int y1, std::uint32_t c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Set(x, y, c);
    }
    void Frame(int x0, int y0, int x1, int y1, std::uint32_t c) {
        Line(x0, y0, x1, y0, c);
        Line(x0, y1, x1, y1, c);
        Line(x0, y0, x0, y1, c);
        Line(x1, y0, x1, y1, c);
    }
    void Line(int x0, int y0, int x1, int y1, std::uint32_t c) {
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            Set(x0, y0, c);
            if (x0 == x1 && y0 == y1)
                break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
    void Disc(int cx, int cy, int r, std::uint32_t c) {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x)
                if (x * x + y * y <= r * r + r / 2)
                    Set(cx + x, cy + y, c);
    }
    void Ring(int cx, int cy, int r, std::uint32_t c) {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x) {
                const int d = x * x + y * y;
                if (d <= r * r + r / 2 && d >= (r - 1) * (r - 1) + (r - 1) / 2)
                    Set(cx + x, cy + y, c);
            }
    }
    // A 5 x 7 glyph given as rows of five bits (bit 4 leftmost).
    void Glyph(int x0, int y0, const unsigned char (&rows)[7], std::uint32_t c) {
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x)
                if (rows[y] & (0x10 >> x))
                    Set(x0 + x, y0 + y, c);
    }
    // A small sine-like trace between two x positions around a middle line.
    void Wave(int x0, int x1, int mid, int amp, std::uint32_t c) {
        static const int kShape[] = {0, 1, 2, 2, 2, 1, 0, -1, -2, -2, -2, -1};
        int px = x0, py = mid;
        for (int x = x0; x <= x1; ++x) {
            const int y = mid - kShape[(x - x0) % 12] * amp / 2;
            Line(px, py, x, y, c);
            px = x;
            py = y;
        }
    }
    std::vector<std::uint32_t>& Pixels() { return m_px; }

private:
    int m_w, m_h;
    std::vector<std::uint32_t> m_px;
};

constexpr unsigned char kGlyphQuestion[7] = {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04};
constexpr unsigned char kGlyphA[7] = {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11};
constexpr unsigned char kGlyphR[7] = {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11};
constexpr unsigned char kGlyphF[7] = {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10};

void Magnifier(Canvas& c, bool plus) {
    c.Ring(8, 8, 6, kDark);
    c.Disc(8, 8, 4, Rgb(210, 230, 255));
    c.Line(12, 12, 17, 17, kDark);
    c.Line(13, 12, 18, 17, kDark);
    c.Line(6, 8, 10, 8, kBlack);
    if (plus)
        c.Line(8, 6, 8, 10, kBlack);
}

void ScopeScreen(Canvas& c) {
    c.Fill(1, 3, 18, 16, kScreen);
    c.Frame(1, 3, 18, 16, kDark);
}

void Paint(Canvas& c, unsigned id) {
    switch (id) {
    case ID_FILE_LOAD_CSV: // an opening folder
        c.Fill(1, 6, 15, 16, kYellow);
        c.Frame(1, 6, 15, 16, Rgb(150, 110, 20));
        c.Fill(2, 4, 7, 5, kYellow);
        c.Line(15, 9, 18, 6, kGreen);
        c.Line(16, 6, 18, 6, kGreen);
        c.Line(18, 6, 18, 8, kGreen);
        break;
    case ID_FILE_SAVE_WAVEFORM: // a disk with a trace
        c.Fill(2, 2, 17, 17, kBlue);
        c.Fill(5, 2, 14, 8, kWhite);
        c.Fill(5, 12, 14, 17, kLight);
        c.Wave(5, 14, 5, 3, kRed);
        break;
    case ID_FILE_PRINT: // a printer
        c.Fill(5, 2, 14, 7, kWhite);
        c.Frame(5, 2, 14, 7, kGrey);
        c.Fill(2, 8, 17, 14, kLight);
        c.Frame(2, 8, 17, 14, kDark);
        c.Fill(5, 13, 14, 17, kWhite);
        c.Frame(5, 13, 14, 17, kGrey);
        c.Set(15, 10, kGreen);
        break;
    case ID_CURSOR_CROSS: // two cursor lines crossing on the screen
        ScopeScreen(c);
        c.Line(7, 4, 7, 15, kYellow);
        c.Line(2, 10, 17, 10, kYellow);
        break;
    case ID_CURSOR_NONE: // cursor lines struck out
        ScopeScreen(c);
        c.Line(7, 4, 7, 15, kGrey);
        c.Line(2, 10, 17, 10, kGrey);
        c.Line(4, 5, 15, 15, kRed);
        c.Line(15, 5, 4, 15, kRed);
        break;
    case ID_REF_ONOFF: // a stored trace
        ScopeScreen(c);
        c.Wave(2, 17, 10, 4, kWhite);
        c.Glyph(12, 4, kGlyphR, kOrange);
        break;
    case ID_UTILITY_FFT: // spectrum bars
        ScopeScreen(c);
        for (int i = 0; i < 7; ++i) {
            const int h = (i == 1) ? 10 : (i == 3) ? 6 : (i == 5) ? 3 : 1;
            c.Fill(3 + 2 * i, 15 - h, 3 + 2 * i, 15, Rgb(160, 80, 255));
        }
        break;
    case ID_UTILITY_RECORD: // a red record dot
        c.Disc(10, 10, 7, kRed);
        c.Ring(10, 10, 7, Rgb(120, 0, 0));
        break;
    case ID_UTILITY_PASSFAIL: // a tick and a cross
        c.Line(2, 9, 5, 13, kGreen);
        c.Line(2, 10, 5, 14, kGreen);
        c.Line(5, 13, 10, 4, kGreen);
        c.Line(5, 14, 10, 5, kGreen);
        c.Line(11, 10, 17, 16, kRed);
        c.Line(17, 10, 11, 16, kRed);
        c.Line(12, 10, 18, 16, kRed);
        break;
    case ID_ZOOM_OUT:
        Magnifier(c, false);
        break;
    case ID_ZOOM_IN:
        Magnifier(c, true);
        break;
    case ID_ACQUIRE_START: // a green play triangle
        for (int x = 0; x < 12; ++x)
            c.Line(5 + x, 3 + x * 7 / 12, 5 + x, 16 - x * 7 / 12, kGreen);
        break;
    case ID_ACQUIRE_STOP: // a red square
        c.Fill(4, 4, 15, 15, kRed);
        c.Frame(4, 4, 15, 15, Rgb(120, 0, 0));
        break;
    case ID_AUTO_SETUP: // a trace and the letter A
        ScopeScreen(c);
        c.Wave(2, 17, 11, 5, kTrace);
        c.Glyph(3, 4, kGlyphA, kWhite);
        break;
    case ID_VIEW_FULL_SCREEN: // a window with corner arrows
        c.Frame(1, 2, 18, 17, kDark);
        c.Fill(2, 3, 17, 4, kBlue);
        c.Line(3, 6, 6, 6, kBlack);
        c.Line(3, 6, 3, 9, kBlack);
        c.Line(16, 15, 13, 15, kBlack);
        c.Line(16, 15, 16, 12, kBlack);
        c.Line(3, 6, 7, 10, kBlack);
        c.Line(16, 15, 12, 11, kBlack);
        break;
    case ID_VIEW_SIDEBAR: // a window with a panel at the right
        c.Frame(1, 2, 18, 17, kDark);
        c.Fill(2, 3, 17, 4, kBlue);
        c.Fill(2, 5, 12, 16, kScreen);
        c.Fill(13, 5, 17, 16, kLight);
        c.Line(14, 7, 16, 7, kGrey);
        c.Line(14, 10, 16, 10, kGrey);
        c.Line(14, 13, 16, 13, kGrey);
        break;
    case ID_HELP_CONTENTS: // a question mark in a blue disc
        c.Disc(10, 10, 8, kBlue);
        c.Glyph(8, 7, kGlyphQuestion, kWhite);
        c.Glyph(8, 6, kGlyphQuestion, kWhite);
        break;
    default:
        c.Glyph(7, 6, kGlyphF, kGrey);
        break;
    }
}

// Disabled look: every non-background pixel becomes a light grey of its brightness.
std::uint32_t Disabled(std::uint32_t px) {
    const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
    const int lum = (r * 30 + g * 59 + b * 11) / 100;
    const int v = 128 + lum / 2;
    return Rgb(v, v, v);
}

// Hot look: colours a little brighter.
std::uint32_t Hot(std::uint32_t px) {
    auto up = [](int v) { return std::min(255, v + (255 - v) / 4); };
    return Rgb(up((px >> 16) & 0xFF), up((px >> 8) & 0xFF), up(px & 0xFF));
}

enum class Look { Normal, Disabled, Hot };

BitmapResource Strip(const unsigned* ids, int count, std::uint32_t background, Look look) {
    std::vector<unsigned> commands;
    for (int i = 0; i < count; ++i)
        if (ids[i] != 0)
            commands.push_back(ids[i]);
    BitmapResource out;
    out.width = kImageSize * static_cast<int>(commands.size());
    out.height = kImageSize;
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, background);
    for (std::size_t k = 0; k < commands.size(); ++k) {
        const BitmapResource one = DrawCommandImage(commands[k], background);
        for (int y = 0; y < kImageSize; ++y)
            for (int x = 0; x < kImageSize; ++x) {
                std::uint32_t px = one.pixels[static_cast<std::size_t>(y) * kImageSize + x];
                if (px != background)
                    px = look == Look::Disabled ? Disabled(px) : look == Look::Hot ? Hot(px) : px;
                // A recoloured pixel must never turn into the background (it would vanish).
                if (px == background &&
                    one.pixels[static_cast<std::size_t>(y) * kImageSize + x] != background)
                    px ^= 0x00010101u;
                out.pixels[static_cast<std::size_t>(y) * out.width + static_cast<int>(k) * kImageSize + x] =
                    px;
            }
    }
    return out;
}

} // namespace

BitmapResource DrawCommandImage(unsigned commandId, std::uint32_t background) {
    Canvas canvas(kImageSize, kImageSize, background);
    Paint(canvas, commandId);
    BitmapResource out;
    out.width = kImageSize;
    out.height = kImageSize;
    out.pixels = std::move(canvas.Pixels());
    return out;
}

namespace {

// The start-up picture: a scope screen with its graticule and two traces.
BitmapResource SplashPicture() {
    constexpr int kW = 320, kH = 200;
    const std::uint32_t back = Rgb(24, 28, 40), grid = Rgb(90, 90, 90), frame = Rgb(200, 200, 200);
    Canvas c(kW, kH, back);
    const int x0 = 20, y0 = 20, x1 = kW - 21, y1 = kH - 21; // 10 x 8 divisions of 28 x 20
    c.Fill(x0, y0, x1, y1, Rgb(0, 0, 0));
    for (int i = 1; i < 10; ++i)
        for (int y = y0; y <= y1; y += 4)
            c.Set(x0 + i * 28, y, grid);
    for (int j = 1; j < 8; ++j)
        for (int x = x0; x <= x1; x += 4)
            c.Set(x, y0 + j * 20, grid);
    c.Frame(x0, y0, x1, y1, frame);
    // CH1: a sine of three periods above the middle; CH2: a square wave below it.
    int px = x0 + 1, py = y0 + 50;
    for (int x = x0 + 1; x < x1; ++x) {
        const double t = static_cast<double>(x - x0) / (x1 - x0) * 3.0 * 6.283185307179586;
        const int y = y0 + 50 - static_cast<int>(30.0 * std::sin(t));
        c.Line(px, py, x, y, Rgb(0, 255, 0));
        px = x;
        py = y;
    }
    int level = y0 + 110;
    for (int x = x0 + 1; x < x1; ++x) {
        const int next = ((x - x0) / 35) % 2 ? y0 + 110 : y0 + 140;
        if (next != level)
            c.Line(x, level, x, next, Rgb(255, 255, 0));
        level = next;
        c.Set(x, level, Rgb(255, 255, 0));
    }
    BitmapResource out;
    out.width = kW;
    out.height = kH;
    out.pixels = std::move(c.Pixels());
    return out;
}

} // namespace

bool LoadBitmapResource(unsigned id, BitmapResource& out) {
    switch (id) {
    case IDB_MENU_NORMAL:
        out = Strip(kMenuImageCommands, kMenuImageCount, kMenuImageMask, Look::Normal);
        return true;
    case IDB_MENU_DISABLED:
        out = Strip(kMenuImageCommands, kMenuImageCount, kMenuImageMask, Look::Disabled);
        return true;
    case IDB_TOOLBAR_NORMAL:
        out = Strip(kToolbarButtons, kToolbarButtonCount, kToolbarImageBack, Look::Normal);
        return true;
    case IDB_TOOLBAR_DISABLED:
        out = Strip(kToolbarButtons, kToolbarButtonCount, kToolbarImageBack, Look::Disabled);
        return true;
    case IDB_TOOLBAR_HOT:
        out = Strip(kToolbarButtons, kToolbarButtonCount, kToolbarImageBack, Look::Hot);
        return true;
    case IDB_SPLASH:
        out = SplashPicture();
        return true;
    default:
        out = BitmapResource{};
        return false;
    }
}

} // namespace kv
