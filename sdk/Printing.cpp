// The default printer, the printed test-report page, screen size queries and the copy of a
// window area to the clipboard stand-in.
#include "Printing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Drawing.h"
#include "Driver.h"
#include "ModelConstants.h"
#include "Tessel.h"
#include "system/Narrow.h"
#include "system/Paths.h"
#include "system/Profile.h"

namespace kv::sdk {

std::atomic<bool> g_failStartPage{false};

namespace {

constexpr const char* kReportCaption = kModel == Model::Cordun ? "Kestra-F USB" : "Kestra-E USB";
constexpr const char* kPrintJobName = " Kestra-E USB ";
// Printer pages: A4 at 300 dots per inch.
constexpr int kPageWidth = 2480, kPageHeight = 3508, kPageDpi = 300;

// The printer driver stand-in: "PDF" writes the pages to the file named by the port.
HDC CreatePrinterDC(const std::string& driver, const std::string& /*device*/, const std::string& port) {
    if (driver != "PDF")
        return nullptr;
    return KvCreatePdfDC(port.c_str(), kPageWidth, kPageHeight, kPageDpi);
}

HDC OpenDefaultPrinter() {
    // Read whole: cut to a fixed buffer length, a long port path would name another file.
    const std::string value = kv::GetPrivateProfileString("windows", "device", ",,,", SystemProfilePath());
    const auto c1 = value.find(',');
    if (c1 == std::string::npos)
        return nullptr;
    const auto c2 = value.find(',', c1 + 1);
    if (c2 == std::string::npos)
        return nullptr;
    const std::string device = value.substr(0, c1), driver = value.substr(c1 + 1, c2 - c1 - 1),
                      port = value.substr(c2 + 1);
    if (device.empty() || driver.empty() || port.empty())
        return nullptr;
    return CreatePrinterDC(driver, device, port);
}

void TextAt(HDC dc, int x, int y, const char* text) {
    TextOut(dc, x, y, text, -1);
}

HFONT ReportFont(const char* face, int height) {
    return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0, face);
}

} // namespace

std::atomic<int> g_beepCount{0};

void MessageBeep() {
    ++g_beepCount;
    if (isatty(STDERR_FILENO)) {
        [[maybe_unused]] const ssize_t rung = write(STDERR_FILENO, "\a", 1); // nothing to do if it did not
    }
}

bool PlaceClipboardPicture(HBITMAP bitmap) {
    const std::string path = ClipboardPicturePath();
    const std::string folder = path.substr(0, path.rfind('/'));
    mkdir(folder.c_str(), 0700);
    struct stat st {};
    // Only a folder of our own that nobody else can enter takes the picture.
    const bool privateFolder = lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
                               st.st_uid == getuid() && (st.st_mode & 077) == 0;
    if (!privateFolder)
        return false;
    // Written beside and renamed into place: a failed write leaves the previous picture whole.
    const std::string partial = path + ".part";
    if (!KvSaveBitmapPng(bitmap, partial.c_str()) || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

std::string SystemProfilePath() {
    const std::string folder = kv::UserConfigFolder();
    return folder.empty() ? std::string() : folder + "/win.ini";
}

std::string ClipboardPicturePath() {
    return kv::TempFolder() + "/kelvane-clipboard-" + std::to_string(static_cast<unsigned>(getuid())) +
           "/clipboard.png";
}

} // namespace kv::sdk

using namespace kv::sdk;
using kv::Saturate;
using kv::TruncSat;

TESSEL_API HDC dsoOpenPrinter(void) {
    return Guarded<HDC>(nullptr, [&]() -> HDC {
        HDC dc = OpenDefaultPrinter();
        if (!dc)
            return nullptr;
        DOCINFO info;
        info.lpszDocName = kPrintJobName;
        if (StartDoc(dc, &info) <= 0) {
            DeleteDC(dc);
            return nullptr;
        }
        // Without this check a client would draw on a context whose page never started.
        if (g_failStartPage || StartPage(dc) <= 0) {
            AbortDoc(dc);
            DeleteDC(dc);
            return nullptr;
        }
        return dc;
    });
}

TESSEL_API int dsoClosePrinter(HDC dc) {
    return Guarded(0, [&] {
        // A failed open hands out 0; ending and deleting it would act on no context.
        if (!dc)
            return 0;
        const bool paged = EndPage(dc) > 0;
        // A print whose file could not be written whole (a full disk) must not pass for printed.
        const bool written = EndDoc(dc) > 0;
        DeleteDC(dc);
        return paged && written ? 1 : 0;
    });
}

TESSEL_API void dsoSetPrintWidthAndHeight(HDC dc) {
    Guarded(0, [&] {
        if (!dc)
            return 0;
        const int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
        const double c = w / 1000.0, d = h / 1000.0;
        const auto X = [c](double x) { return TruncSat<int>(x * c); };
        const auto Y = [d](double y) { return TruncSat<int>(y * d); };
        Rectangle(dc, X(10), Y(30), TruncSat<int>(w - 10 * c), TruncSat<int>(h - 10 * d));
        Rectangle(dc, X(15), Y(35), TruncSat<int>(w - 15 * c), TruncSat<int>(h - 15 * d));
        Rectangle(dc, X(16), Y(36), TruncSat<int>(w - 16 * c), TruncSat<int>(h - 16 * d));
        Rectangle(dc, X(17), Y(37), TruncSat<int>(w - 17 * c), TruncSat<int>(h - 17 * d));
        {
            ScopedObject font(dc, ReportFont("Arial Bold Italic", Y(50)));
            const char* title = "TEST REPORT";
            SIZE size{};
            GetTextExtentPoint32(dc, title, -1, &size);
            TextAt(dc, X(500) - size.cx / 2, Y(50), title);
        }
        {
            ScopedObject font(dc, ReportFont("Arial Bold Italic", Y(25)));
            TextAt(dc, X(700), Y(100), kReportCaption);
            TextAt(dc, X(100), Y(710), "CH1 :");
            TextAt(dc, X(480), Y(710), "CH2 :");
        }
        const POINT swatch1[4] = {{X(190), Y(713)}, {X(190), Y(730)}, {X(300), Y(730)}, {X(300), Y(713)}};
        const POINT swatch2[4] = {{X(570), Y(713)}, {X(570), Y(730)}, {X(680), Y(730)}, {X(680), Y(713)}};
        FillPolygon(dc, swatch1, 4, RGB(100, 250, 250));
        FillPolygon(dc, swatch2, 4, RGB(255, 255, 0));
        {
            ScopedObject font(dc, ReportFont("Times New Roman Bold Italic", Y(25)));
            TextAt(dc, X(50), Y(830), "Note  :");
        }
        Line(dc, X(160), Y(850), X(950), Y(850));
        for (int y : {890, 930, 970})
            Line(dc, X(50), Y(y), X(950), Y(y));
        return 1;
    });
}

TESSEL_API int dsoGetScreenWidth(HDC dc) {
    return Guarded(0, [&] { return dc ? GetDeviceCaps(dc, HORZRES) : 0; });
}

TESSEL_API int dsoGetScreenHeight(HDC dc) {
    return Guarded(0, [&] { return dc ? GetDeviceCaps(dc, VERTRES) : 0; });
}

TESSEL_API void dsoSaveDataToPicture(HDC window, const int32_t* area) {
    Guarded(0, [&] {
        if (!window || !area)
            return 0;
        const int width = area[0], height = area[1];
        // The copy starts at source (-x, -y): negated in 64 bits, as -INT32_MIN has no int.
        const int sourceX = Saturate<int>(-static_cast<std::int64_t>(area[2]));
        const int sourceY = Saturate<int>(-static_cast<std::int64_t>(area[4]));
        HDC memory = CreateCompatibleDC(window);
        HBITMAP bitmap =
            memory && width > 0 && height > 0 ? CreateCompatibleBitmap(window, width, height) : nullptr;
        bool copied = false;
        if (bitmap) {
            HGDIOBJ previous = SelectObject(memory, bitmap);
            // A context whose pixels cannot be read (a printer's) refuses the copy; without this
            // check the untouched black bitmap would go out as the picture.
            copied = StretchBlt(memory, 0, 0, width, height, window, sourceX, sourceY, width, height,
                                SRCCOPY) != FALSE;
            SelectObject(memory, previous);
        }
        const bool placed = copied && PlaceClipboardPicture(bitmap);
        if (!placed)
            MessageBeep();
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        return placed ? 1 : 0;
    });
}
