// The picture of a drawn area on the clipboard stand-in, read back pixel by pixel: it holds the
// pixels of the area the client drew; when no picture can be made nothing is written and the
// failure beeps.
#include "TestOutput.h"
#include <gtest/gtest.h>

#include <cairo.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "Canvas.h"
#include "Printing.h"
#include "Tessel.h"

namespace {

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = kvtest::OutputDir() + "/sdk-picture";
        mkdir(m_dir.c_str(), 0755);
        m_dir += std::string("/") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        mkdir(m_dir.c_str(), 0755);
        const char* old = std::getenv("TMPDIR");
        m_hadTmp = old != nullptr;
        if (old)
            m_oldTmp = old;
        setenv("TMPDIR", m_dir.c_str(), 1);
        std::remove(Path().c_str());
    }
    void TearDown() override {
        if (m_hadTmp)
            setenv("TMPDIR", m_oldTmp.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    static std::string Path() { return kv::sdk::ClipboardPicturePath(); }
    static std::string FileText() {
        std::ifstream in(Path(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A 200 x 100 drawing whose every pixel tells where it is: RGB(x, y, 77).
    static void DrawCoordinates(Canvas& c) {
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                SetPixel(c.dc(), x, y, RGB(x, y, 77));
    }

    std::string m_dir, m_oldTmp;
    bool m_hadTmp = false;
};

// The clipboard picture, decoded.
class Png {
public:
    Png() : m_surface(cairo_image_surface_create_from_png(kv::sdk::ClipboardPicturePath().c_str())) {}
    ~Png() { cairo_surface_destroy(m_surface); }
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;
    bool Ok() const { return cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(m_surface); }
    int Height() const { return cairo_image_surface_get_height(m_surface); }
    COLORREF At(int x, int y) const {
        const unsigned char* data = cairo_image_surface_get_data(m_surface);
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + y * cairo_image_surface_get_stride(m_surface));
        const std::uint32_t p = row[x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    cairo_surface_t* m_surface;
};

TEST_F(PictureTest, HoldsThePixelsOfTheGivenArea) {
    Canvas c(200, 100);
    DrawCoordinates(c);
    const int32_t area[5] = {50, 40, -10, 0, -20}; // 50 x 40 from source (10, 20)
    const int beeps = kv::sdk::g_beepCount;
    dsoSaveDataToPicture(c.dc(), area);
    EXPECT_EQ(kv::sdk::g_beepCount, beeps);
    const Png png;
    ASSERT_TRUE(png.Ok());
    ASSERT_EQ(png.Width(), 50);
    ASSERT_EQ(png.Height(), 40);
    EXPECT_EQ(png.At(0, 0), RGB(10, 20, 77));
    EXPECT_EQ(png.At(49, 0), RGB(59, 20, 77));
    EXPECT_EQ(png.At(0, 39), RGB(10, 59, 77));
    EXPECT_EQ(png.At(49, 39), RGB(59, 59, 77));
    EXPECT_EQ(png.At(17, 23), RGB(27, 43, 77));
}

TEST_F(PictureTest, PartsOutsideTheDrawingAreBlack) {
    Canvas c(200, 100);
    DrawCoordinates(c);
    const int32_t area[5] = {30, 30, 10, 0, 10}; // from source (-10, -10)
    dsoSaveDataToPicture(c.dc(), area);
    const Png png;
    ASSERT_TRUE(png.Ok());
    EXPECT_EQ(png.At(9, 15), RGB(0, 0, 0));
    EXPECT_EQ(png.At(15, 9), RGB(0, 0, 0));
    EXPECT_EQ(png.At(10, 10), RGB(0, 0, 77));
    EXPECT_EQ(png.At(29, 29), RGB(19, 19, 77));

    // An origin at the end of the int32 range lies far outside any drawing.
    const int32_t far[5] = {8, 8, INT32_MIN, INT32_MAX, INT32_MIN};
    dsoSaveDataToPicture(c.dc(), far);
    const Png black;
    ASSERT_TRUE(black.Ok());
    ASSERT_EQ(black.Width(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(black.At(x, y), RGB(0, 0, 0)) << x << ", " << y;
    const int32_t farOther[5] = {8, 8, INT32_MAX, 0, INT32_MAX};
    dsoSaveDataToPicture(c.dc(), farOther);
    EXPECT_TRUE(Png().Ok());
}

TEST_F(PictureTest, APrinterPageCannotBeCopiedAndNothingIsWritten) {
    // A picture from before stays as it was.
    Canvas c(200, 100);
    DrawCoordinates(c);
    const int32_t area[5] = {50, 40, 0, 0, 0};
    dsoSaveDataToPicture(c.dc(), area);
    const std::string before = FileText();
    ASSERT_FALSE(before.empty());

    HDC printer = KvCreatePdfDC((m_dir + "/page.pdf").c_str(), 400, 300, 72);
    ASSERT_NE(printer, nullptr);
    DOCINFO info;
    ASSERT_GT(StartDoc(printer, &info), 0);
    ASSERT_GT(StartPage(printer), 0);
    const std::uint16_t layout[7] = {400, 300, 0, 0, 0, 0, 0};
    dsoMainPannelDrawGrid(printer, layout);
    const int beeps = kv::sdk::g_beepCount;
    dsoSaveDataToPicture(printer, area);
    EXPECT_EQ(kv::sdk::g_beepCount, beeps + 1);
    EXPECT_EQ(FileText(), before);
    dsoClosePrinter(printer);
}

TEST_F(PictureTest, AreasWithoutABitmapBeepAndWriteNothing) {
    Canvas c(200, 100);
    DrawCoordinates(c);
    const int32_t sizes[][2] = {{0, 40},        {40, 0},        {-1, 40},       {40, -1},   {INT32_MIN, 1},
                                {1, INT32_MIN}, {INT32_MAX, 1}, {1, INT32_MAX}, {32768, 1}, {1, 32768}};
    for (const auto& size : sizes) {
        const int32_t area[5] = {size[0], size[1], 0, 0, 0};
        const int beeps = kv::sdk::g_beepCount;
        dsoSaveDataToPicture(c.dc(), area);
        EXPECT_EQ(kv::sdk::g_beepCount, beeps + 1) << size[0] << " x " << size[1];
        EXPECT_FALSE(std::ifstream(Path()).good()) << size[0] << " x " << size[1];
    }
    // Nothing to copy from, or no area: refused without a picture.
    const int32_t area[5] = {10, 10, 0, 0, 0};
    dsoSaveDataToPicture(nullptr, area);
    dsoSaveDataToPicture(c.dc(), nullptr);
    EXPECT_FALSE(std::ifstream(Path()).good());
}

} // namespace
