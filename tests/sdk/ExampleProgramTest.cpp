// The C example client runs against the shared libraries and its picture shows the graticule and
// the trace where the drawing rules put them.
#include "TestOutput.h"
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A bottom-up 24-bit BMP file read whole.
class Bmp {
public:
    explicit Bmp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::uint32_t Le(std::size_t at, int bytes) const {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | static_cast<std::uint8_t>(m_bytes.at(at + i));
        return v;
    }
    bool Valid() const { return m_bytes.size() >= 54 && m_bytes[0] == 'B' && m_bytes[1] == 'M'; }
    int Width() const { return static_cast<int>(Le(18, 4)); }
    int Height() const { return static_cast<int>(Le(22, 4)); }
    int Bits() const { return static_cast<int>(Le(28, 2)); }
    std::size_t Size() const { return m_bytes.size(); }
    Rgb At(int x, int y) const {
        const std::size_t row = (static_cast<std::size_t>(Width()) * 3 + 3) / 4 * 4;
        const std::size_t at = Le(10, 4) + row * static_cast<std::size_t>(Height() - 1 - y) + 3 * x;
        return {static_cast<std::uint8_t>(m_bytes.at(at + 2)), static_cast<std::uint8_t>(m_bytes.at(at + 1)),
                static_cast<std::uint8_t>(m_bytes.at(at))};
    }

private:
    std::vector<char> m_bytes;
};

std::string OutputFolder() {
    const std::string dir = kvtest::OutputDir() + "/sdk-example";
    mkdir(dir.c_str(), 0755);
    return dir;
}

TEST(SdkExample, DrawsGridAndTraceIntoABitmapFile) {
    const std::string path = OutputFolder() + "/grid_and_trace.bmp";
    std::remove(path.c_str());
    ASSERT_EQ(std::system(("'" SDK_EXAMPLE_DRAW "' '" + path + "'").c_str()), 0);
    const Bmp bmp(path);
    ASSERT_TRUE(bmp.Valid());
    ASSERT_EQ(bmp.Width(), 500);
    ASSERT_EQ(bmp.Height(), 400);
    ASSERT_EQ(bmp.Bits(), 24);
    ASSERT_EQ(bmp.Size(), 54u + 500u * 3 * 400);

    // Panel 500 x 400 without margins: divisions of 50 x 50 pixels.
    const Rgb grid{100, 100, 100}, trace{255, 255, 0}, background{0, 0, 40};
    // Ticks on the vertical centre line (x = 250) every 10 pixels, reaching 5 pixels to each side.
    EXPECT_EQ(bmp.At(246, 10), grid);
    EXPECT_EQ(bmp.At(254, 30), grid);
    EXPECT_EQ(bmp.At(244, 10), background);
    // Ticks on the horizontal centre line (y = 200) every 10 pixels, 5 pixels up and down.
    EXPECT_EQ(bmp.At(40, 196), grid);
    EXPECT_EQ(bmp.At(40, 194), background);
    // The sine of period 200 points: code 406 at point 50 and 106 at point 150;
    // y = trunc((511 - code) x 400 / 511) gives 82 and 317.
    EXPECT_EQ(bmp.At(50, 82), trace);
    EXPECT_EQ(bmp.At(150, 317), trace);
    EXPECT_EQ(bmp.At(350, 317), trace);
    EXPECT_EQ(bmp.At(55, 120), background); // below the peak
    EXPECT_EQ(bmp.At(25, 30), background);
}

} // namespace
