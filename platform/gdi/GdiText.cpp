// Fonts (faces resolved through fontconfig) and text output through Cairo.
#include "GdiInternal.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>

namespace {

using namespace kvgdi;

struct FaceRequest {
    std::string family;
    bool bold = false;
    bool italic = false;
};

// "Arial Bold Italic" names a family plus a style; the style words become font flags.
FaceRequest ParseFace(const char* face) {
    FaceRequest req;
    std::istringstream in(face ? face : "");
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    while (!words.empty()) {
        const std::string& w = words.back();
        if (w == "Bold")
            req.bold = true;
        else if (w == "Italic" || w == "Oblique")
            req.italic = true;
        else
            break;
        words.pop_back();
    }
    for (size_t i = 0; i < words.size(); ++i)
        req.family += (i ? " " : "") + words[i];
    if (req.family.empty())
        req.family = "Sans";
    return req;
}

std::string ResolveFamily(const std::string& family) {
    static std::mutex mutex;
    static std::map<std::string, std::string> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(family);
    if (it != cache.end())
        return it->second;
    std::string result = family;
    if (FcInit()) {
        FcPattern* pat = FcPatternCreate();
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcConfigSubstitute(nullptr, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult res = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pat, &res);
        if (match) {
            FcChar8* name = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
                result = reinterpret_cast<const char*>(name);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
    }
    cache.emplace(family, result);
    return result;
}

// Replaces bytes that are not well-formed UTF-8 with '?', so Cairo never sees a bad string.
std::string CleanUtf8(const char* text, size_t n) {
    std::string out;
    out.reserve(n);
    size_t i = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (i < n) {
        unsigned char c = s[i];
        if (c == 0)
            break;
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        bool ok = len > 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k)
            ok = (s[i + k] & 0xC0) == 0x80;
        if (ok && len == 2 && c < 0xC2)
            ok = false;
        if (ok) {
            out.append(text + i, len);
            i += len;
        } else {
            out.push_back('?');
            ++i;
        }
    }
    return out;
}

struct Metrics {
    double ascent = 0;
    int cellHeight = 0;
};

// Selects the font on a Cairo context; a positive height is the cell height (ascent + descent),
// a negative one the character height, as in the font interface it stands in for.
Metrics ApplyFont(cairo_t* cr, const Font& f, bool raster) {
    cairo_select_font_face(cr, f.family.c_str(), f.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           f.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_font_options_t* opts = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(opts, CAIRO_HINT_METRICS_ON);
    if (raster)
        cairo_font_options_set_antialias(opts, CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cr, opts);
    cairo_font_options_destroy(opts);
    // Measured at a large size so that rounded (hinted) metrics do not distort the ratio.
    constexpr double kRef = 1000.0;
    cairo_set_font_size(cr, kRef);
    cairo_font_extents_t unit;
    cairo_font_extents(cr, &unit);
    unit.ascent /= kRef;
    unit.descent /= kRef;
    double cellPerEm = unit.ascent + unit.descent;
    if (!(cellPerEm > 0.1))
        cellPerEm = 1.0;
    long h = f.lf.lfHeight;
    double em = h > 0 ? h / cellPerEm : h < 0 ? static_cast<double>(-h) : 16.0 / cellPerEm;
    em = std::min(em, 100000.0);
    cairo_set_font_size(cr, em);
    Metrics m;
    m.ascent = unit.ascent * em;
    m.cellHeight = h > 0 ? static_cast<int>(h) : static_cast<int>(std::lround(cellPerEm * em));
    return m;
}

// A scratch context for measuring text on contexts that have nothing to draw on.
cairo_t* ScratchCairo() {
    struct Scratch {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_t* cr = cairo_create(s);
        ~Scratch() {
            cairo_destroy(cr);
            cairo_surface_destroy(s);
        }
    };
    thread_local Scratch scratch;
    return scratch.cr;
}

cairo_t* MeasureCairo(DC& dc) {
    cairo_t* cr = dc.Cairo();
    return cr ? cr : ScratchCairo();
}

double Advance(cairo_t* cr, const std::string& s) {
    if (s.empty())
        return 0;
    cairo_text_extents_t ext;
    cairo_text_extents(cr, s.c_str(), &ext);
    return ext.x_advance;
}

int TextWidth(cairo_t* cr, const std::string& s, bool expandTabs, double tabWidth) {
    if (!expandTabs)
        return static_cast<int>(std::lround(Advance(cr, s)));
    double x = 0;
    size_t start = 0;
    while (true) {
        size_t tab = s.find('\t', start);
        x += Advance(cr, s.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            break;
        x = (std::floor(x / tabWidth) + 1) * tabWidth;
        start = tab + 1;
    }
    return static_cast<int>(std::lround(x));
}

void FillBox(cairo_t* cr, double l, double t, double w, double h, COLORREF c) {
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, l, t, w, h);
    SetCairoColor(cr, c);
    cairo_fill(cr);
    cairo_restore(cr);
}

// Draws one line of text whose cell's top-left corner is at device (x, y).
void DrawLine(DC& dc, cairo_t* cr, const Metrics& m, int x, int y, const std::string& s, bool expandTabs,
              double tabWidth) {
    const int w = TextWidth(cr, s, expandTabs, tabWidth);
    if (dc.bkMode == OPAQUE && w > 0)
        FillBox(cr, x, y, w, m.cellHeight, dc.bkColor);
    SetCairoColor(cr, dc.textColor);
    double pen = x;
    size_t start = 0;
    while (true) {
        size_t tab = expandTabs ? s.find('\t', start) : std::string::npos;
        std::string run = s.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (!run.empty()) {
            cairo_move_to(cr, pen, y + m.ascent);
            cairo_show_text(cr, run.c_str());
        }
        pen += Advance(cr, run);
        if (tab == std::string::npos)
            break;
        pen = x + (std::floor((pen - x) / tabWidth) + 1) * tabWidth;
        start = tab + 1;
    }
}

size_t LengthOf(const char* text, long count) {
    if (!text)
        return 0;
    size_t len = std::strlen(text);
    return count < 0 ? len : std::min(len, static_cast<size_t>(count));
}

} // namespace

HFONT CreateFontIndirect(const LOGFONT* lf) {
    if (!lf)
        return nullptr;
    auto f = std::make_shared<Font>();
    f->lf = *lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    FaceRequest req = ParseFace(f->lf.lfFaceName);
    f->family = ResolveFamily(req.family);
    f->bold = req.bold || lf->lfWeight >= 600;
    f->italic = req.italic || lf->lfItalic;
    return reinterpret_cast<HFONT>(Register(f));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

int KvResolveFontFace(const char* face, char* out, int size) {
    std::string family = ResolveFamily(ParseFace(face).family);
    if (out && size > 0) {
        size_t n = std::min(family.size(), static_cast<size_t>(size - 1));
        std::memcpy(out, family.data(), n);
        out[n] = '\0';
    }
    return static_cast<int>(family.size());
}

BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size) {
    auto dc = LookupDC(hdc);
    if (!dc || !text || !size || !dc->font)
        return FALSE;
    cairo_t* cr = MeasureCairo(*dc);
    cairo_save(cr);
    Metrics m = ApplyFont(cr, *dc->font, dc->IsRaster());
    std::string s = CleanUtf8(text, LengthOf(text, count));
    size->cx = static_cast<LONG>(std::lround(Advance(cr, s)));
    size->cy = m.cellHeight;
    cairo_restore(cr);
    return TRUE;
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                const int*) {
    auto dc = LookupDC(hdc);
    if (!dc || !dc->font)
        return FALSE;
    cairo_t* cr = dc->Cairo();
    if (!cr)
        return FALSE;
    cairo_save(cr);
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        const double l = dc->Dx(rect->left), t = dc->Dy(rect->top);
        const double w = static_cast<double>(rect->right) - rect->left;
        const double h = static_cast<double>(rect->bottom) - rect->top;
        if (w > 0 && h > 0) {
            if (options & ETO_OPAQUE)
                FillBox(cr, l, t, std::min(w, 1e6), std::min(h, 1e6), dc->bkColor);
            if (options & ETO_CLIPPED) {
                cairo_rectangle(cr, l, t, std::min(w, 1e6), std::min(h, 1e6));
                cairo_clip(cr);
            }
        }
    }
    if (text && count > 0) {
        Metrics m = ApplyFont(cr, *dc->font, dc->IsRaster());
        std::string s = CleanUtf8(text, LengthOf(text, static_cast<long>(count)));
        DrawLine(*dc, cr, m, dc->Dx(x), dc->Dy(y), s, false, 1.0);
    }
    cairo_restore(cr);
    return TRUE;
}

BOOL TextOut(HDC hdc, int x, int y, const char* text, int count) {
    if (!text)
        return FALSE;
    size_t n = LengthOf(text, count);
    return ExtTextOut(hdc, x, y, 0, nullptr, text, static_cast<UINT>(n), nullptr);
}

int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format) {
    auto dc = LookupDC(hdc);
    if (!dc || !text || !rect || !dc->font)
        return 0;
    std::string s = CleanUtf8(text, LengthOf(text, count));
    if (!(format & DT_NOPREFIX)) {
        std::string t;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '&' && i + 1 < s.size())
                ++i; // "&x" shows x, "&&" shows &
            t.push_back(s[i]);
        }
        s.swap(t);
    }
    std::vector<std::string> lines;
    if (format & DT_SINGLELINE) {
        std::string t;
        for (char c : s)
            if (c != '\r' && c != '\n')
                t.push_back(c);
        lines.push_back(t);
    } else {
        std::string cur;
        for (char c : s) {
            if (c == '\n') {
                lines.push_back(cur);
                cur.clear();
            } else if (c != '\r') {
                cur.push_back(c);
            }
        }
        lines.push_back(cur);
    }
    const bool calcOnly = (format & DT_CALCRECT) != 0;
    cairo_t* cr = calcOnly ? MeasureCairo(*dc) : dc->Cairo();
    if (!cr)
        return 0;
    cairo_save(cr);
    Metrics m = ApplyFont(cr, *dc->font, dc->IsRaster());
    const bool tabs = (format & DT_EXPANDTABS) != 0;
    const double tabWidth = std::max(1.0, 8 * Advance(cr, "x"));
    const int lh = m.cellHeight;
    const int total = lh * static_cast<int>(lines.size());
    int maxWidth = 0;
    std::vector<int> widths;
    for (const auto& line : lines) {
        widths.push_back(TextWidth(cr, line, tabs, tabWidth));
        maxWidth = std::max(maxWidth, widths.back());
    }
    if (calcOnly) {
        cairo_restore(cr);
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + total;
        return total;
    }
    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = (rect->top + rect->bottom - lh) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - lh;
    }
    if (!(format & DT_NOCLIP)) {
        const double w = static_cast<double>(rect->right) - rect->left;
        const double h = static_cast<double>(rect->bottom) - rect->top;
        cairo_rectangle(cr, dc->Dx(rect->left), dc->Dy(rect->top), std::clamp(w, 0.0, 1e6),
                        std::clamp(h, 0.0, 1e6));
        cairo_clip(cr);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = rect->left;
        if (format & DT_CENTER)
            x = (rect->left + rect->right - widths[i]) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - widths[i];
        DrawLine(*dc, cr, m, dc->Dx(x), dc->Dy(top + lh * static_cast<int>(i)), lines[i], tabs, tabWidth);
    }
    cairo_restore(cr);
    return top - rect->top + total;
}

// Leak checking in sanitizer builds: fontconfig keeps its pattern caches until the process
// ends by design, which the leak checker would report for every program that draws text.
// Defined here, in a file every text-drawing program links, and weak so a program may override it;
// visible, so the checker finds it although the library hides its other names.
#if defined(__SANITIZE_ADDRESS__)
extern "C" __attribute__((weak, used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
