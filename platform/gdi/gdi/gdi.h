#pragma once
// Drawing layer: device contexts, pens, brushes, fonts, regions and bitmaps with the
// Windows GDI names and semantics that the program and the SDK rely on, drawn with Cairo.
//
// Every handle is an opaque value that is looked up in a table on each call; a null,
// deleted or wrong-kind handle makes the call fail closed (returns 0 / FALSE / NULL or
// CLR_INVALID and draws nothing). Colours are COLORREF 0x00BBGGRR. Coordinates are
// logical units (MM_TEXT: one unit per device pixel, shifted by the window origin).
//
// Raster rules kept from Windows:
// - MoveToEx/LineTo/Polyline with a one-pixel pen exclude the last point;
// - Rectangle/Ellipse/Arc/Pie/Chord exclude the right and bottom edges of their box;
// - Arc/Pie/Chord run counter-clockwise from the start radial to the end radial; when
//   both radials give the same direction the whole ellipse is drawn;
// - styled one-pixel pens fill their gaps with the background colour in OPAQUE mode;
// - with a null pen, Rectangle and Ellipse fill one pixel less to the right and bottom;
// - a fresh DC has a black pen, white brush, opaque white background and black text.
#include "system/wintypes.h"

#include <cstddef>

struct HGDIOBJ__ {
    int unused_;
};
struct HPEN__ : HGDIOBJ__ {};
struct HBRUSH__ : HGDIOBJ__ {};
struct HFONT__ : HGDIOBJ__ {};
struct HBITMAP__ : HGDIOBJ__ {};
struct HRGN__ : HGDIOBJ__ {};
struct HDC__ {
    int unused_;
};

using HGDIOBJ = HGDIOBJ__*;
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HRGN = HRGN__*;
using HDC = HDC__*;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Mapping modes (only MM_TEXT is supported).
constexpr int MM_TEXT = 1;

// Raster operations for BitBlt/StretchBlt (only SRCCOPY is supported).
constexpr DWORD SRCCOPY = 0x00CC0020;

// ExtTextOut options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// DrawText formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// GetDeviceCaps indexes.
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;

// GetClipBox results.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

// Font weights and qualities.
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE FF_SWISS = 0x20;

constexpr int LF_FACESIZE = 32;

struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

struct LOGPEN {
    UINT lopnStyle = 0;
    POINT lopnWidth;
    COLORREF lopnColor = 0;
};

struct LOGBRUSH {
    UINT lbStyle = 0; // 0 solid, 1 null
    COLORREF lbColor = 0;
    LONG lbHatch = 0;
};
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr;
};

struct DOCINFO {
    int cbSize = sizeof(DOCINFO);
    const char* lpszDocName = nullptr;
    const char* lpszOutput = nullptr;
};

// ---- Device contexts ----
// A memory context; `hdc` may be null or any context. Its initial bitmap is the 1 x 1
// stock bitmap, on which nothing is drawn.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// Print-to-file context: a PDF document whose pages are `width` x `height` device pixels
// at `dpi` pixels per inch. GetDeviceCaps(TECHNOLOGY) gives DT_RASPRINTER.
HDC KvCreatePdfDC(const char* path, int width, int height, int dpi);
int StartDoc(HDC hdc, const DOCINFO* info);
int StartPage(HDC hdc);
int EndPage(HDC hdc);
int EndDoc(HDC hdc);
int AbortDoc(HDC hdc);
int GetDeviceCaps(HDC hdc, int index);

// ---- Objects ----
HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);
// Fills LOGPEN, LOGBRUSH, LOGFONT or BITMAP by the object's kind; returns bytes written.
int GetObject(HGDIOBJ obj, int size, void* out);
HGDIOBJ GetCurrentObject(HDC hdc, UINT kind);
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
// True when the handle names a live object (stock objects included).
BOOL KvIsGdiObject(HGDIOBJ obj);

HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face);
HFONT CreateFontIndirect(const LOGFONT* lf);
// The family that the font layer uses for a requested face (e.g. "Arial" -> "Liberation Sans").
// Copies at most size - 1 bytes and a terminator; returns the full length.
int KvResolveFontFace(const char* face, char* out, int size);

// A colour bitmap of width x height (1..32767 each), initially black.
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// A 32-bit bitmap from top-down rows of B, G, R, x bytes (bits may be null: black).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// Copies up to `size` bytes of the bitmap's top-down 32-bit rows (B, G, R, x); returns bytes copied.
LONG GetBitmapBits(HBITMAP bmp, LONG size, void* bits);
// A bitmap like CreateCompatibleBitmap whose pixel words always read 0xFFRRGGBB, so that a screen
// can show its pixels in place as 32-bit RGB without a pass to set the fourth byte.
HBITMAP KvCreateOpaqueBitmap(HDC hdc, int width, int height);
// The bitmap's own pixels, read in place: top-down rows of 32-bit words 0xxxRRGGBB, `stride`
// bytes apart; `opaque` when the bitmap came from KvCreateOpaqueBitmap (xx is then always FF).
// Valid until the bitmap is drawn into again or deleted.
typedef struct KvBitmapPixels {
    const void* data;
    int width;
    int height;
    int stride;
    BOOL opaque;
} KvBitmapPixels;
BOOL KvGetBitmapPixels(HBITMAP bmp, KvBitmapPixels* pixels);
// Writes the bitmap, or the bitmap selected in the context, as a PNG file.
BOOL KvSaveBitmapPng(HBITMAP bmp, const char* path);
BOOL KvSaveDCPng(HDC hdc, const char* path);

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int GetRgnBox(HRGN rgn, RECT* rect);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
BOOL PaintRgn(HDC hdc, HRGN rgn);

// ---- State ----
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);
int SetMapMode(HDC hdc, int mode);
int GetMapMode(HDC hdc);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* previous);
BOOL GetWindowOrgEx(HDC hdc, POINT* origin);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* previous);
BOOL GetViewportOrgEx(HDC hdc, POINT* origin);
BOOL LPtoDP(HDC hdc, POINT* points, int count);
BOOL DPtoLP(HDC hdc, POINT* points, int count);
int GetClipBox(HDC hdc, RECT* rect);
BOOL GetCurrentPositionEx(HDC hdc, POINT* point);

// ---- Lines and shapes ----
BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* points, int count);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Polygon(HDC hdc, const POINT* points, int count);

// ---- Text (UTF-8; count -1 means up to the terminator) ----
BOOL TextOut(HDC hdc, int x, int y, const char* text, int count);
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                const int* dx);
int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format);
BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size);

// ---- Block transfers ----
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop);
