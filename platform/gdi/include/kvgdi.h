/*
 * kvgdi: the drawing library. Device contexts, pens, brushes, fonts, regions and bitmaps with the
 * Windows GDI names and semantics, drawn with Cairo. A C interface: client programs of the
 * oscilloscope libraries create a memory device context and a bitmap here, hand the context to the
 * libraries' drawing functions and read the pixels back.
 *
 *     HDC dc = CreateCompatibleDC(NULL);
 *     HBITMAP bitmap = CreateCompatibleBitmap(dc, 500, 400);   (initially black)
 *     HGDIOBJ previous = SelectObject(dc, bitmap);
 *     ... draw ...; COLORREF c = GetPixel(dc, x, y);
 *     SelectObject(dc, previous); DeleteObject(bitmap); DeleteDC(dc);
 *
 * Every handle is an opaque value that is looked up in a table on each call; a null, deleted or
 * wrong-kind handle makes the call fail closed (returns 0 / FALSE / NULL or CLR_INVALID and draws
 * nothing). Colours are COLORREF 0x00BBGGRR (RGB(r, g, b)). Coordinates are logical units (MM_TEXT:
 * one unit per device pixel, shifted by the window and viewport origins). Calls may come from any
 * thread; one context should be drawn from one thread at a time.
 *
 * Raster rules kept from Windows:
 * - MoveToEx/LineTo/Polyline with a one-pixel pen exclude the last point;
 * - Rectangle/Ellipse/Arc/Pie/Chord exclude the right and bottom edges of their box;
 * - Arc/Pie/Chord run counter-clockwise from the start radial to the end radial; when both radials
 *   give the same direction the whole ellipse is drawn;
 * - styled one-pixel pens fill their gaps with the background colour in OPAQUE mode;
 * - with a null pen, Rectangle and Ellipse fill one pixel less to the right and bottom;
 * - a fresh DC has a black pen, white brush, opaque white background and black text.
 */
#ifndef KVGDI_H
#define KVGDI_H

#ifdef __cplusplus
#define KVGDI_EXTERN_C extern "C"
/* C++ code gets members that start at zero and constants that are typed. */
#define KVGDI_INIT(value) = value
#define KVGDI_CONSTANT(type, name, value) constexpr type name = value;
#else
#define KVGDI_EXTERN_C
#define KVGDI_INIT(value)
#define KVGDI_CONSTANT(type, name, value) enum { name = value };
#endif
#define KVGDI_API KVGDI_EXTERN_C __attribute__((visibility("default")))

/* ---- Scalar and geometry types ---- */
#if defined(__cplusplus) && defined(KVGDI_SYSTEM_TYPES)
/* Built inside the project: the same types come from its own platform header. */
#include "system/wintypes.h"
#else
#include <stdint.h>

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uint32_t COLORREF; /* 0x00BBGGRR */

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#ifdef __cplusplus
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
#else
#define RGB(r, g, b) ((COLORREF)(((DWORD)(BYTE)(r)) | ((DWORD)(BYTE)(g) << 8) | ((DWORD)(BYTE)(b) << 16)))
#define GetRValue(c) ((int)((c)&0xFF))
#define GetGValue(c) ((int)(((c) >> 8) & 0xFF))
#define GetBValue(c) ((int)(((c) >> 16) & 0xFF))
#endif

typedef struct POINT {
    LONG x KVGDI_INIT(0);
    LONG y KVGDI_INIT(0);
} POINT;
typedef struct SIZE {
    LONG cx KVGDI_INIT(0);
    LONG cy KVGDI_INIT(0);
} SIZE;
typedef struct RECT {
    LONG left KVGDI_INIT(0);
    LONG top KVGDI_INIT(0);
    LONG right KVGDI_INIT(0);
    LONG bottom KVGDI_INIT(0);
} RECT;
#endif

/* ---- Handles ----
 * Opaque pointers. Any object handle passes where an HGDIOBJ is taken (SelectObject, DeleteObject). */
#ifdef __cplusplus
struct HGDIOBJ__ {
    int unused_;
};
struct HPEN__ : HGDIOBJ__ {};
struct HBRUSH__ : HGDIOBJ__ {};
struct HFONT__ : HGDIOBJ__ {};
struct HBITMAP__ : HGDIOBJ__ {};
struct HRGN__ : HGDIOBJ__ {};
typedef HGDIOBJ__* HGDIOBJ;
#else
typedef void* HGDIOBJ;
#endif
typedef struct HPEN__* HPEN;
typedef struct HBRUSH__* HBRUSH;
typedef struct HFONT__* HFONT;
typedef struct HBITMAP__* HBITMAP;
typedef struct HRGN__* HRGN;
/* The oscilloscope libraries' header (Tessel.h) declares the same HDC under the same guard. */
#ifndef KVGDI_HDC_DEFINED
#define KVGDI_HDC_DEFINED
typedef struct HDC__* HDC;
#endif
#ifdef __cplusplus
struct HDC__ {
    int unused_;
};
#endif

/* ---- Constants ---- */
#ifdef __cplusplus
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
#else
#define CLR_INVALID ((COLORREF)0xFFFFFFFFu)
#endif

/* Pen styles. */
KVGDI_CONSTANT(int, PS_SOLID, 0)
KVGDI_CONSTANT(int, PS_DASH, 1)
KVGDI_CONSTANT(int, PS_DOT, 2)
KVGDI_CONSTANT(int, PS_DASHDOT, 3)
KVGDI_CONSTANT(int, PS_DASHDOTDOT, 4)
KVGDI_CONSTANT(int, PS_NULL, 5)

/* Background modes. */
KVGDI_CONSTANT(int, TRANSPARENT, 1)
KVGDI_CONSTANT(int, OPAQUE, 2)

/* Polygon fill modes. */
KVGDI_CONSTANT(int, ALTERNATE, 1)
KVGDI_CONSTANT(int, WINDING, 2)

/* Mapping modes (only MM_TEXT is supported). */
KVGDI_CONSTANT(int, MM_TEXT, 1)

/* Raster operations for BitBlt/StretchBlt (only SRCCOPY is supported). */
KVGDI_CONSTANT(DWORD, SRCCOPY, 0x00CC0020)

/* ExtTextOut options. */
KVGDI_CONSTANT(UINT, ETO_OPAQUE, 0x0002)
KVGDI_CONSTANT(UINT, ETO_CLIPPED, 0x0004)

/* DrawText formats. */
KVGDI_CONSTANT(UINT, DT_TOP, 0x0000)
KVGDI_CONSTANT(UINT, DT_LEFT, 0x0000)
KVGDI_CONSTANT(UINT, DT_CENTER, 0x0001)
KVGDI_CONSTANT(UINT, DT_RIGHT, 0x0002)
KVGDI_CONSTANT(UINT, DT_VCENTER, 0x0004)
KVGDI_CONSTANT(UINT, DT_BOTTOM, 0x0008)
KVGDI_CONSTANT(UINT, DT_SINGLELINE, 0x0020)
KVGDI_CONSTANT(UINT, DT_EXPANDTABS, 0x0040)
KVGDI_CONSTANT(UINT, DT_NOCLIP, 0x0100)
KVGDI_CONSTANT(UINT, DT_CALCRECT, 0x0400)
KVGDI_CONSTANT(UINT, DT_NOPREFIX, 0x0800)

/* Stock objects. */
KVGDI_CONSTANT(int, WHITE_BRUSH, 0)
KVGDI_CONSTANT(int, LTGRAY_BRUSH, 1)
KVGDI_CONSTANT(int, GRAY_BRUSH, 2)
KVGDI_CONSTANT(int, DKGRAY_BRUSH, 3)
KVGDI_CONSTANT(int, BLACK_BRUSH, 4)
KVGDI_CONSTANT(int, NULL_BRUSH, 5)
KVGDI_CONSTANT(int, HOLLOW_BRUSH, 5)
KVGDI_CONSTANT(int, WHITE_PEN, 6)
KVGDI_CONSTANT(int, BLACK_PEN, 7)
KVGDI_CONSTANT(int, NULL_PEN, 8)
KVGDI_CONSTANT(int, ANSI_VAR_FONT, 12)
KVGDI_CONSTANT(int, SYSTEM_FONT, 13)
KVGDI_CONSTANT(int, DEFAULT_GUI_FONT, 17)

/* GetDeviceCaps indexes and results. */
KVGDI_CONSTANT(int, TECHNOLOGY, 2)
KVGDI_CONSTANT(int, HORZSIZE, 4)
KVGDI_CONSTANT(int, VERTSIZE, 6)
KVGDI_CONSTANT(int, HORZRES, 8)
KVGDI_CONSTANT(int, VERTRES, 10)
KVGDI_CONSTANT(int, BITSPIXEL, 12)
KVGDI_CONSTANT(int, PLANES, 14)
KVGDI_CONSTANT(int, LOGPIXELSX, 88)
KVGDI_CONSTANT(int, LOGPIXELSY, 90)
KVGDI_CONSTANT(int, DT_RASDISPLAY, 1)
KVGDI_CONSTANT(int, DT_RASPRINTER, 2)

/* GetClipBox results. */
KVGDI_CONSTANT(int, ERROR, 0)
KVGDI_CONSTANT(int, NULLREGION, 1)
KVGDI_CONSTANT(int, SIMPLEREGION, 2)

/* Font weights, character set, qualities and families. */
KVGDI_CONSTANT(int, FW_DONTCARE, 0)
KVGDI_CONSTANT(int, FW_NORMAL, 400)
KVGDI_CONSTANT(int, FW_BOLD, 700)
KVGDI_CONSTANT(BYTE, DEFAULT_CHARSET, 1)
KVGDI_CONSTANT(BYTE, DEFAULT_QUALITY, 0)
KVGDI_CONSTANT(BYTE, PROOF_QUALITY, 2)
KVGDI_CONSTANT(BYTE, FF_SWISS, 0x20)

KVGDI_CONSTANT(int, LF_FACESIZE, 32)

/* GetCurrentObject kinds. */
KVGDI_CONSTANT(UINT, OBJ_PEN, 1)
KVGDI_CONSTANT(UINT, OBJ_BRUSH, 2)
KVGDI_CONSTANT(UINT, OBJ_FONT, 6)
KVGDI_CONSTANT(UINT, OBJ_BITMAP, 7)

/* LOGBRUSH styles. */
KVGDI_CONSTANT(UINT, BS_SOLID, 0)
KVGDI_CONSTANT(UINT, BS_NULL, 1)

/* ---- Object descriptions ---- */
typedef struct LOGFONT {
    LONG lfHeight KVGDI_INIT(0);
    LONG lfWidth KVGDI_INIT(0);
    LONG lfEscapement KVGDI_INIT(0);
    LONG lfOrientation KVGDI_INIT(0);
    LONG lfWeight KVGDI_INIT(0);
    BYTE lfItalic KVGDI_INIT(0);
    BYTE lfUnderline KVGDI_INIT(0);
    BYTE lfStrikeOut KVGDI_INIT(0);
    BYTE lfCharSet KVGDI_INIT(0);
    BYTE lfOutPrecision KVGDI_INIT(0);
    BYTE lfClipPrecision KVGDI_INIT(0);
    BYTE lfQuality KVGDI_INIT(0);
    BYTE lfPitchAndFamily KVGDI_INIT(0);
    char lfFaceName[LF_FACESIZE] KVGDI_INIT({});
} LOGFONT;

typedef struct LOGPEN {
    UINT lopnStyle KVGDI_INIT(0);
    POINT lopnWidth;
    COLORREF lopnColor KVGDI_INIT(0);
} LOGPEN;

typedef struct LOGBRUSH {
    UINT lbStyle KVGDI_INIT(0); /* BS_SOLID or BS_NULL */
    COLORREF lbColor KVGDI_INIT(0);
    LONG lbHatch KVGDI_INIT(0);
} LOGBRUSH;

typedef struct BITMAP {
    LONG bmType KVGDI_INIT(0);
    LONG bmWidth KVGDI_INIT(0);
    LONG bmHeight KVGDI_INIT(0);
    LONG bmWidthBytes KVGDI_INIT(0);
    WORD bmPlanes KVGDI_INIT(0);
    WORD bmBitsPixel KVGDI_INIT(0);
    void* bmBits KVGDI_INIT(nullptr);
} BITMAP;

/* cbSize is sizeof(DOCINFO). */
typedef struct DOCINFO {
    int cbSize KVGDI_INIT(sizeof(DOCINFO));
    const char* lpszDocName KVGDI_INIT(nullptr);
    const char* lpszOutput KVGDI_INIT(nullptr);
} DOCINFO;

/* ---- Device contexts ---- */
/* A memory context; hdc may be NULL or any context. Its initial bitmap is the 1 x 1 stock bitmap,
 * on which nothing is drawn: select a bitmap of your own before drawing. */
KVGDI_API HDC CreateCompatibleDC(HDC hdc);
KVGDI_API BOOL DeleteDC(HDC hdc);
/* Print-to-file context: a PDF document whose pages are width x height device pixels at dpi pixels
 * per inch. GetDeviceCaps(TECHNOLOGY) gives DT_RASPRINTER. Its pixels cannot be read back. */
KVGDI_API HDC KvCreatePdfDC(const char* path, int width, int height, int dpi);
/* The default font of a printer context at dpi pixels per inch: a sans-serif face of 10 points.
 * A print-to-file context starts with it; a memory context that stands in for a printer page
 * selects it to lay text out as the printer does. Delete it like any font. */
KVGDI_API HFONT KvCreatePrinterFont(int dpi);
KVGDI_API int StartDoc(HDC hdc, const DOCINFO* info);
KVGDI_API int StartPage(HDC hdc);
KVGDI_API int EndPage(HDC hdc);
KVGDI_API int EndDoc(HDC hdc);
KVGDI_API int AbortDoc(HDC hdc);
KVGDI_API int GetDeviceCaps(HDC hdc, int index);

/* ---- Objects ---- */
KVGDI_API HGDIOBJ GetStockObject(int index);
/* Selects a pen, brush, font or bitmap into the context and returns the one it replaces. */
KVGDI_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
/* Deletes an object that no context holds; stock objects are never deleted. */
KVGDI_API BOOL DeleteObject(HGDIOBJ obj);
/* Fills LOGPEN, LOGBRUSH, LOGFONT or BITMAP by the object's kind; returns bytes written. */
KVGDI_API int GetObject(HGDIOBJ obj, int size, void* out);
KVGDI_API HGDIOBJ GetCurrentObject(HDC hdc, UINT kind);
/* True when the handle names a live object (stock objects included). */
KVGDI_API BOOL KvIsGdiObject(HGDIOBJ obj);

KVGDI_API HPEN CreatePen(int style, int width, COLORREF color);
KVGDI_API HBRUSH CreateSolidBrush(COLORREF color);
KVGDI_API HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                           DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                           DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* face);
KVGDI_API HFONT CreateFontIndirect(const LOGFONT* lf);
/* The family that the font layer uses for a requested face (e.g. "Arial" -> "Liberation Sans").
 * Copies at most size - 1 bytes and a terminator; returns the full length. */
KVGDI_API int KvResolveFontFace(const char* face, char* out, int size);

/* A colour bitmap of width x height (1..32767 each), initially black. */
KVGDI_API HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
/* A 32-bit bitmap from top-down rows of B, G, R, x bytes (bits may be NULL: black). */
KVGDI_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
/* Copies up to size bytes of the bitmap's top-down 32-bit rows (B, G, R, x); returns bytes copied. */
KVGDI_API LONG GetBitmapBits(HBITMAP bmp, LONG size, void* bits);
/* A bitmap like CreateCompatibleBitmap whose pixel words always read 0xFFRRGGBB, so that a screen
   can show its pixels in place as 32-bit RGB without a pass to set the fourth byte. */
KVGDI_API HBITMAP KvCreateOpaqueBitmap(HDC hdc, int width, int height);
/* The bitmap's own pixels, read in place: top-down rows of 32-bit words 0xxxRRGGBB, `stride`
   bytes apart; `opaque` when the bitmap came from KvCreateOpaqueBitmap (xx is then always FF).
   Valid until the bitmap is drawn into again or deleted. */
typedef struct KvBitmapPixels {
    const void* data;
    int width;
    int height;
    int stride;
    BOOL opaque;
} KvBitmapPixels;
KVGDI_API BOOL KvGetBitmapPixels(HBITMAP bmp, KvBitmapPixels* pixels);
/* Writes the bitmap, or the bitmap selected in the context, as a PNG file. */
KVGDI_API BOOL KvSaveBitmapPng(HBITMAP bmp, const char* path);
KVGDI_API BOOL KvSaveDCPng(HDC hdc, const char* path);

KVGDI_API HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
KVGDI_API HRGN CreateRectRgn(int left, int top, int right, int bottom);
KVGDI_API int GetRgnBox(HRGN rgn, RECT* rect);
KVGDI_API BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
KVGDI_API BOOL PaintRgn(HDC hdc, HRGN rgn);

/* ---- State ---- */
KVGDI_API COLORREF SetTextColor(HDC hdc, COLORREF color);
KVGDI_API COLORREF GetTextColor(HDC hdc);
KVGDI_API COLORREF SetBkColor(HDC hdc, COLORREF color);
KVGDI_API COLORREF GetBkColor(HDC hdc);
KVGDI_API int SetBkMode(HDC hdc, int mode);
KVGDI_API int GetBkMode(HDC hdc);
KVGDI_API int SetPolyFillMode(HDC hdc, int mode);
KVGDI_API int GetPolyFillMode(HDC hdc);
KVGDI_API int SetMapMode(HDC hdc, int mode);
KVGDI_API int GetMapMode(HDC hdc);
KVGDI_API BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* previous);
KVGDI_API BOOL GetWindowOrgEx(HDC hdc, POINT* origin);
KVGDI_API BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* previous);
KVGDI_API BOOL GetViewportOrgEx(HDC hdc, POINT* origin);
KVGDI_API BOOL LPtoDP(HDC hdc, POINT* points, int count);
KVGDI_API BOOL DPtoLP(HDC hdc, POINT* points, int count);
KVGDI_API int GetClipBox(HDC hdc, RECT* rect);
KVGDI_API BOOL GetCurrentPositionEx(HDC hdc, POINT* point);

/* ---- Lines and shapes ---- */
KVGDI_API BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous);
KVGDI_API BOOL LineTo(HDC hdc, int x, int y);
KVGDI_API BOOL Polyline(HDC hdc, const POINT* points, int count);
KVGDI_API COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
KVGDI_API BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
/* The pixel's colour, or CLR_INVALID outside the bitmap or on a context that cannot be read. */
KVGDI_API COLORREF GetPixel(HDC hdc, int x, int y);
KVGDI_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
KVGDI_API int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
KVGDI_API BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
KVGDI_API BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                   int yEnd);
KVGDI_API BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                   int yEnd);
KVGDI_API BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                     int yEnd);
KVGDI_API BOOL Polygon(HDC hdc, const POINT* points, int count);

/* ---- Text (UTF-8; count -1 means up to the terminator) ---- */
KVGDI_API BOOL TextOut(HDC hdc, int x, int y, const char* text, int count);
KVGDI_API BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                          const int* dx);
KVGDI_API int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format);
KVGDI_API BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size);

/* ---- Block transfers ----
 * The source must be a context with a bitmap (a printer context cannot be read): FALSE otherwise,
 * and the destination is left as it was. */
KVGDI_API BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
KVGDI_API BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                          int srcWidth, int srcHeight, DWORD rop);

#endif /* KVGDI_H */
