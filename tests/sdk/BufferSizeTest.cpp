// Every pointer argument of every export at the size the header states for it, in a buffer whose
// last element ends where a page without access begins: one element read or written too far
// faults at once. Each build (Tessel, Pallik, Cordun) runs this program linked against its own
// shared library, with its own sizes from the header; device functions run on the simulated
// instrument of SCOPE_SIMULATOR=1, with the arguments that make them reach furthest.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Tessel.h"
#include "kvgdi.h"

namespace {

const bool kSimulator = ::setenv("SCOPE_SIMULATOR", "1", 1) == 0;

constexpr std::size_t kScreen = TESSEL_SCREEN_RECORD_POINTS;
constexpr std::size_t kDeep = TESSEL_DEEP_RECORD_POINTS;
constexpr bool kPallikBuild = TESSEL_DEEP_RECORD_POINTS == 14336;

// n elements of T; element n would lie on a page that may not be touched.
template <typename T> class Guarded {
public:
    explicit Guarded(std::size_t n, T fill = T{}) : m_n(n) {
        m_page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        const std::size_t bytes = n * sizeof(T);
        m_span = (bytes + m_page - 1) / m_page * m_page;
        void* base =
            ::mmap(nullptr, m_span + m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            std::abort();
        m_base = static_cast<unsigned char*>(base);
        if (::mprotect(m_base + m_span, m_page, PROT_NONE) != 0)
            std::abort();
        m_data = reinterpret_cast<T*>(m_base + m_span - bytes);
        std::fill(m_data, m_data + n, fill);
    }
    ~Guarded() {
        if (m_base)
            ::munmap(m_base, m_span + m_page);
    }
    Guarded(Guarded&& other) noexcept
        : m_n(other.m_n), m_page(other.m_page), m_span(other.m_span), m_base(other.m_base),
          m_data(other.m_data) {
        other.m_base = nullptr;
    }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    Guarded& operator=(Guarded&&) = delete;
    T* data() { return m_data; }
    T& operator[](std::size_t i) { return m_data[i]; }
    std::size_t size() const { return m_n; }

private:
    std::size_t m_n, m_page = 0, m_span = 0;
    unsigned char* m_base = nullptr;
    T* m_data = nullptr;
};

using Words = Guarded<std::uint16_t>;

// A sine between codes 100 and 400, period 97 points, into the first n words.
void Sine(std::uint16_t* w, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        w[i] = static_cast<std::uint16_t>(250 + std::lround(150 * std::sin(2 * 3.14159265 * i / 97.0)));
}

Words Settings(std::uint16_t source, std::uint16_t channels, std::uint16_t timeBase, std::uint16_t position,
               std::uint16_t memory, std::uint16_t selector, std::uint16_t alternate) {
    Words s(7);
    const std::uint16_t v[7] = {source, channels, timeBase, position, memory, selector, alternate};
    std::copy(v, v + 7, s.data());
    return s;
}

bool ScreenSelector(std::uint16_t selector) {
    return selector == 10 || selector == 512;
}

std::size_t RecordPoints(std::uint16_t selector) {
    return ScreenSelector(selector) ? kScreen : kDeep;
}

std::size_t BufferWords(std::uint16_t selector) {
    return ScreenSelector(selector) ? TESSEL_SCREEN_BUFFER_WORDS : TESSEL_DEEP_BUFFER_WORDS;
}

// Sends the settings, captures once and reads into the two buffers.
int CaptureInto(Words& settings, std::uint16_t* ch1, std::uint16_t* ch2) {
    if (dsoSetVoltageAndCoupling(0, 5, 5, 0, 0, settings.data()) != 1)
        return 0;
    dsoSetTriggerAndSampleRate(0, 0, 0, settings.data(), 0, 0, 0, 0);
    if (dsoSetTriggerAndSampleRate2(0, 0, 0, settings.data()) != 1 ||
        dsoSetTriggerAndSampleRate3(0, 0, 0, settings.data()) != 1)
        return 0;
    dsoCaptureStart(0);
    dsoTriggerEnabled(0);
    Guarded<std::uint32_t> address(1);
    for (int polls = 0; dsoGetCaptureState(0, address.data()) < 4; ++polls) {
        if (polls > 100)
            dsoForceTrigger(0);
        if (polls > 200)
            return 0;
    }
    return dsoGetChannelData(0, 5, 5, settings[3], ch1, ch2, settings.data(), *address.data());
}

} // namespace

// ---- Stored settings and capture control ----

TEST(BufferSizes, StoredSettingsAndCaptureState) {
    ASSERT_TRUE(kSimulator);
    Words address(1), calibration(4), tdcCal(1), tdc(2), levels(80);
    Guarded<std::uint8_t> addressByte(1);
    ASSERT_EQ(dsoGetDeviceAddress(0, address.data()), 1);
    addressByte[0] = static_cast<std::uint8_t>(address[0]);
    EXPECT_EQ(dsoSetDeviceAddress(0, addressByte.data()), 1);
    ASSERT_EQ(dsoGetCalData(0, calibration.data()), 1);
    EXPECT_EQ(dsoSetCalData(0, calibration.data()), 1);
    ASSERT_EQ(dsoGetTDCCalData(0, tdcCal.data()), 1);
    EXPECT_EQ(dsoSetTDCCalData(0, tdcCal.data()), 1);
    ASSERT_EQ(dsoGetTDC(0, tdc.data()), 1);
    EXPECT_EQ(dsoSetTDC(0, tdc.data()), 1);
    ASSERT_EQ(dsoGetChannelLevel(0, levels.data(), 80), 1);
    EXPECT_EQ(dsoSetChannelLevel(0, levels.data(), 80), 1);
    Guarded<std::uint32_t> triggerAddress(1), count(1);
    dsoCaptureStart(0);
    dsoGetCaptureState(0, triggerAddress.data());
    EXPECT_EQ(dsoGetTDCData(0, count.data()), 1);
}

// ---- Channel data read ----

// Every record the read makes, each in buffers of the size the header gives for its selector: the
// 512-point record (single and double rate), the screen record (single and double rate), the deep
// record (single and double rate) and the roll record.
TEST(BufferSizes, ChannelDataReadOfEveryRecord) {
    struct Case {
        std::uint16_t channels, timeBase, memory, selector;
    };
    const Case cases[] = {{2, 20, 0, 512}, {2, 20, 3, 512}, {2, 15, 3, 512}, {0, 8, 0, 512},
                          {2, 12, 1, 10},  {0, 8, 1, 10},   {2, 20, 1, 0},   {2, 20, 2, 0},
                          {0, 8, 2, 0},    {1, 3, 2, 1000}, {2, 26, 1, 10},  {2, 30, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "T " << c.timeBase << " memory " << c.memory << " selector " << c.selector);
        Words settings = Settings(0, c.channels, c.timeBase, 100, c.memory, c.selector, 0);
        Words a(BufferWords(c.selector), 0xBEEF), b(BufferWords(c.selector), 0xBEEF);
        EXPECT_EQ(CaptureInto(settings, a.data(), b.data()), 1);
        if (c.timeBase <= 25) { // the trailer sits in the last four words
            EXPECT_EQ(a[a.size() - 4], c.timeBase);
        }
    }
}

// Settings the read refuses write nothing, also into buffers sized for another selector.
TEST(BufferSizes, RefusedReadsTouchNothing) {
    Words a(TESSEL_SCREEN_BUFFER_WORDS, 0xBEEF), b(TESSEL_SCREEN_BUFFER_WORDS, 0xBEEF);
    for (std::uint16_t selector : {10, 512}) {
        Words deepUnderScreen = Settings(0, 2, 20, 50, 2, selector, 0);
        EXPECT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, deepUnderScreen.data()), 0);
        EXPECT_EQ(dsoGetChannelData(0, 5, 5, 0, a.data(), b.data(), deepUnderScreen.data(), 0), 0);
    }
    EXPECT_EQ(a[0], 0xBEEF);
    EXPECT_EQ(a[a.size() - 1], 0xBEEF);
}

// ---- Front-end settings ----

TEST(BufferSizes, FrontEndSettings) {
    Words settings = Settings(0, 2, 12, 50, 1, 10, 0), positions(5, 511), levels(42, 2000);
    EXPECT_EQ(dsoSetVoltageAndCoupling(0, 3, 3, 0, 0, settings.data()), 1);
    EXPECT_EQ(dsoSetVoltageAndCouplingFirst(0, 3, 3, 0, 0, settings.data()), 1);
    for (std::uint16_t source : {0, 1, 2, 4})
        EXPECT_EQ(dsoSetOffset(0, positions.data(), 3, 3, source, levels.data()), 1);
    EXPECT_EQ(dsoSetTriggerAndSampleRate(0, 1, 1, settings.data(), 1, 1, 3, 7), 1);
    EXPECT_EQ(dsoSetTriggerAndSampleRate2(0, 0, 1, settings.data()), 1);
    EXPECT_EQ(dsoSetTriggerAndSampleRate3(0, 0, 0, settings.data()), 1);
}

// ---- Channel data processing ----

TEST(BufferSizes, ChannelDataBufferAtEveryTimeBaseAndSelector) {
    for (std::uint16_t selector : {10, 512, 0}) {
        for (std::uint16_t t = 0; t <= 38; ++t) {
            for (std::uint16_t channels : {0, 2}) {
                SCOPED_TRACE(testing::Message()
                             << "T " << t << " selector " << selector << " channels " << channels);
                Words settings = Settings(0, channels, t, 100, 1, selector, 0);
                const std::size_t copied = t > 10 ? RecordPoints(selector) : kScreen;
                const std::size_t dstSize = t >= 5 ? copied : 40000;
                Words src(t > 10 ? copied : kScreen), dst(dstSize);
                Sine(src.data(), src.size());
                dsoChannelDataBuffer(settings.data(), 2, dst.data(), src.data());
                sdChannelDataBuffer(settings.data(), 1, dst.data(), src.data());
                if (t < 5 || t == 8) {
                    settings[3] = 0;
                    dsoChannelDataBuffer(settings.data(), 1, dst.data(), src.data());
                    dsoChannelDataBuffer(settings.data(), 0, dst.data(), src.data());
                }
                if (t <= 10) {
                    Words fftDst(t < 5 ? 40000 : kScreen), fftSrc(kScreen);
                    Sine(fftSrc.data(), kScreen);
                    dsoFFTBuffer(settings.data(), 5, fftDst.data(), fftSrc.data());
                }
            }
        }
    }
}

TEST(BufferSizes, MathOffsetsGroundAndPairs) {
    Words dst(501), ch1(501, 300), ch2(501, 200), mathBlock(7), offsets(2), probes(5), operation(2);
    mathBlock[6] = 6;
    for (std::uint16_t op = 0; op <= 4; ++op) {
        operation[0] = op % 4;
        operation[1] = op;
        dsoChannelDataMathOperation(dst.data(), ch1.data(), ch2.data(), mathBlock.data(), 6, 6,
                                    offsets.data(), probes.data(), operation.data());
    }
    Words deep(kDeep, 200);
    EXPECT_EQ(dsoChannelDataAdjustOffset(100, deep.data()), 1);
    Words ground(kPallikBuild ? 28672 : 31000);
    EXPECT_EQ(dsoChannelInGND(256, ground.data()), 1);
    Guarded<std::int16_t> pairs(500), backupPairs(502);
    for (std::uint16_t selector : {10, 512, 0}) {
        Words record(RecordPoints(selector));
        Sine(record.data(), record.size());
        for (std::uint16_t position : {0, 50, 100, 65535})
            for (std::uint16_t mode : {0, 1, 2})
                dsoChannelDataFilt(0, position, pairs.data(), record.data(), selector, mode);
        Words settings = Settings(0, 2, 20, 100, 1, selector, 0);
        sdGetDisplayData(settings.data(), pairs.data(), record.data());
        for (std::uint16_t t = 0; t <= 38; ++t) {
            Words backup(ScreenSelector(selector) ? kScreen : 32768);
            Sine(backup.data(), backup.size());
            dsoChannelDataFiltbackup(t, backupPairs.data(), backup.data(), selector);
        }
    }
    Words valid(1000);
    Sine(valid.data(), 1000);
    Guarded<std::int16_t> groups(2 * 300);
    for (std::uint16_t mode : {0, 1, 2}) {
        dsoStopDataFilt(4, 300, valid.data(), groups.data(), mode, 1000);
        dsoStopDataFilt(100000, 300, valid.data(), groups.data(), mode, 1000);
    }
}

TEST(BufferSizes, LevelsScrollingAndPeriods) {
    Words screen(kScreen), display(500), levels(2, 10), channelBlock(4, 1), src(500), dst(500), out(2);
    Sine(screen.data(), kScreen);
    dsoChannelAverageData(screen.data());
    EXPECT_EQ(dsoScrollDisplayData(display.data(), levels.data(), channelBlock.data(), 300, 1), 1);
    Sine(src.data(), 500);
    for (std::uint16_t mode : {0, 1, 2})
        for (std::uint16_t factor : {0, 1, 3, 500})
            for (std::uint16_t capture : {0, 50, 100})
                for (std::uint16_t current : {0, 50, 100})
                    dsoScrollDisplayDataInStop(src.data(), dst.data(), capture, current, factor, mode);
    Words period(20000, 100); // flat: the walk goes to its end
    dsoGetPointsNumberInPeriod(out.data(), period.data());
    Sine(period.data(), 20000);
    dsoGetPointsNumberInPeriod(out.data(), period.data());
    dsoGetAmplitude(out.data(), screen.data());
}

// ---- Measurements ----

TEST(BufferSizes, MeasurementsOfADisplayRecord) {
    Words record(500), out2(2), out1(1), top(5), base(5), out3(3), period(3), edge(2);
    Guarded<std::int16_t> rms(2);
    for (int i = 0; i < 500; ++i)
        record[i] = static_cast<std::uint16_t>((i / 25) % 2 ? 400 : 100); // a square wave, 50 points a period
    dsoGetMaxChannelData(out2.data(), record.data());
    dsoMeasureMean(out1.data(), record.data());
    dsoDataMedian(record.data());
    dsoMeasureAmplitude(top.data(), base.data(), record.data());
    dsoMeasureRMS(rms.data(), record.data(), 250);
    dsoMeasureCycleRMS(rms.data(), record.data(), 250);
    dsoMeasureFrequency(top.data(), base.data(), out3.data(), record.data());
    dsoMeasureCycleMean(top.data(), base.data(), period.data(), record.data());
    dsoMeasureFallTime(top.data(), base.data(), edge.data(), record.data(), 90, 10);
    dsoMeasureRiseTime(top.data(), base.data(), edge.data(), record.data(), 90, 10);
}

// ---- Spectra ----

TEST(BufferSizes, SpectrumFunctions) {
    Guarded<double> realIn(1024, 1.0), imagIn(1024), realOut(1024), imagOut(1024);
    dsoFFT(1024, 0, realIn.data(), imagIn.data(), realOut.data(), imagOut.data());
    dsoFFT(1024, 1, realIn.data(), nullptr, realOut.data(), imagOut.data());

    // The resampling sources at the sizes stated for each scale: trunc(500 / x) + 2 values when
    // interpolating, trunc(999 / x) + 1 otherwise, x = scale / 10.
    for (std::int32_t scale : {1, 3, 7, 25, 40, 100, 3000}) {
        Guarded<std::int32_t> dst(1000);
        Guarded<std::uint32_t> interpolated(static_cast<std::size_t>(5000 / scale) + 2, 7);
        Guarded<std::uint32_t> copied(static_cast<std::size_t>(9990 / scale) + 1, 7);
        EXPECT_EQ(dsoFFTDataBuffer(1, scale, dst.data(), interpolated.data()), 1) << scale;
        EXPECT_EQ(dsoFFTDataBuffer(0, scale, dst.data(), copied.data()), 1) << scale;
    }
    for (float scale : {2.5f, 5.0f, 10.0f, 20.0f, 30.0f, 40.0f, 3.0f}) {
        const double x = scale / 10.0;
        Guarded<double> dst500(500), dst1000(1000);
        Guarded<double> interpolated(static_cast<std::size_t>(500 / x) + 2, 1.0);
        Guarded<double> copied(static_cast<std::size_t>(999 / x) + 1, 1.0);
        EXPECT_EQ(sdFFTDataBuffer(1, scale, dst500.data(), interpolated.data()), 1) << scale;
        EXPECT_EQ(sdFFTDataBuffer(0, scale, dst1000.data(), copied.data()), 1) << scale;
    }

    for (std::uint16_t half : {1, 100, 128, 2048}) {
        for (std::uint16_t window = 0; window <= 6; ++window) {
            Guarded<DsoFftSettings> settings(1);
            settings[0].window = window;
            settings[0].halfCount = half;
            settings[0].voltsPerDivision = 1.0;
            Words samples(2u * half);
            Sine(samples.data(), samples.size());
            Guarded<double> out(half);
            dsoNewFFT(settings.data(), samples.data(), 0, out.data());
        }
    }
    Words screen(kScreen);
    Sine(screen.data(), kScreen);
    for (std::uint16_t half : {1, 39, 100, 2047, 2048, 2049, 4096, 5000}) {
        Words picked(2u * half);
        EXPECT_EQ(dsoFFTGetSamples(screen.data(), half, picked.data()), 1) << half;
    }
}

TEST(BufferSizes, SdSpectrum) {
    Words a1(265), a2(265), b1(kScreen), b2(kScreen);
    Sine(a1.data(), 265);
    Sine(a2.data(), 265);
    Sine(b1.data(), kScreen);
    Sine(b2.data(), kScreen);
    for (std::uint16_t t : {5, 12, 13, 20, 24, 30}) {
        Words settings = Settings(0, 2, t, 50, 1, 10, 0);
        for (std::uint16_t n : {256, 512, 1024, 2048, 4096}) {
            for (std::uint16_t window = 0; window <= 3; ++window) {
                for (std::uint16_t channel : {0, 1}) {
                    Guarded<SdSpectrumSettings> spectrum(1);
                    spectrum[0] = SdSpectrumSettings{channel, window, n, 1000.0, 0.0, 1.0};
                    Guarded<double> out(500);
                    EXPECT_EQ(sdFFT(0, settings.data(), spectrum.data(), a1.data(), a2.data(), b1.data(),
                                    b2.data(), out.data()),
                              1);
                }
            }
        }
    }
}

// ---- Zoom ----

TEST(BufferSizes, LiveAndReferenceZooms) {
    for (std::uint16_t selector : {10, 512, 0}) {
        const std::size_t n = RecordPoints(selector);
        Words record(BufferWords(selector)), dst(n), src(n);
        Sine(record.data(), 2 * n);
        Sine(src.data(), n);
        for (std::uint16_t t : {0, 3, 5, 6, 9, 10, 12, 20}) {
            for (std::uint16_t flag : {0, 1}) {
                for (std::uint16_t capture : {0, 50, 100}) {
                    record[2 * n] = t;
                    record[2 * n + 2] = capture;
                    record[2 * n + 3] = flag;
                    Words settings = Settings(0, 2, t, 50, 1, selector, 0);
                    for (std::uint16_t m : {0, 2, 65535})
                        dsoDataResolutionZoomIn(record.data(), dst.data(), m, 1, settings.data());
                    for (std::uint16_t step : {0, 3})
                        dsoDataResolutionZoomOut(record.data(), dst.data(), 30, step, selector);
                }
            }
        }
        for (std::uint16_t m : {1, 3})
            dsoRefDataResolutionZoomIn(src.data(), dst.data(), 20, 80, m, selector);
        dsoRefDataResolutionZoomOut(src.data(), dst.data(), 80, 20, 3, selector);
    }
}

TEST(BufferSizes, EarlierZoomIn) {
    Guarded<std::int16_t> pairs(500);
    for (std::uint16_t selector : {10, 512, 0}) {
        for (std::uint16_t t : {5, 10, 11, 13, 14, 20, 25}) {
            const std::size_t length = ScreenSelector(selector) ? (t < 11 ? 20000 : kScreen) : 32768;
            Words record(length);
            Sine(record.data(), length);
            for (std::uint16_t divisor : {0, 1, 5, 500})
                for (std::uint16_t position : {0, 50, 100, 300})
                    dsoDataResolutionZoomInBackup(record.data(), pairs.data(), position, divisor, 0, selector,
                                                  t);
        }
    }
}

TEST(BufferSizes, StoppedRollReferenceAndEtsZooms) {
    Words dst(500), positions(4);
    for (std::uint16_t selector : {10, 512, 0}) {
        const std::size_t n = RecordPoints(selector);
        Words stop(2 * n + 4);
        Sine(stop.data(), 2 * n);
        for (std::uint16_t capture : {0, 50, 100}) {
            stop[2 * n + 2] = capture;
            for (std::uint16_t position : {0, 50, 100, 65535}) {
                Words settings = Settings(0, 2, 20, position, 1, selector, 0);
                for (std::uint32_t width : {1u, 100u, 499u, 500u, 10000u, 4000000u}) {
                    dsoStopDataProcessZoomIn(settings.data(), stop.data(), dst.data(), 0, width);
                    dsoStopDataProcessZoomOut(settings.data(), stop.data(), dst.data(), width);
                }
            }
        }
    }
    // Reference records: word 20483 names a 10240-point record; anything else the deep one.
    Words shortRef(TESSEL_SCREEN_BUFFER_WORDS), deepRef(TESSEL_DEEP_BUFFER_WORDS);
    Sine(shortRef.data(), 2 * kScreen);
    Sine(deepRef.data(), 2 * kDeep);
    shortRef[20483] = static_cast<std::uint16_t>(kScreen);
    deepRef[20483] = 0;
    for (Words* ref : {&shortRef, &deepRef}) {
        for (std::uint16_t position : {0, 50, 100, 65535}) {
            positions[3] = position;
            for (std::uint32_t width : {1u, 100u, 500u, 10000u, 4000000u}) {
                dsoRefDataProcessZoomIn(positions.data(), ref->data(), dst.data(), 2, width);
                dsoRefDataProcessZoomOut(positions.data(), ref->data(), dst.data(), width);
            }
        }
    }
    Words roll(500);
    Sine(roll.data(), 500);
    for (std::uint16_t position : {0, 50, 100, 65535}) {
        positions[3] = position;
        for (std::uint32_t width : {1u, 100u, 500u, 501u, 70000u}) {
            dsoScrollModeDataZoomIn(positions.data(), roll.data(), dst.data(), 50, width);
            dsoScrollModeDataZoomOut(positions.data(), roll.data(), dst.data(), 50, width);
        }
        for (double ratio : {0.5, 2.0, 7.5, 1e12})
            dsoETSDataZoomIn(roll.data(), dst.data(), ratio * 1e-8, position, 1e-8);
    }
}

// ---- Equivalent-time sampling and software trigger ----

TEST(BufferSizes, EtsCaptureIntoTheStatedFrameBuffer) {
    ASSERT_EQ(dsoSetTDCSel(0, 3), 1);
    for (std::uint16_t t : {0, 1, 2, 6, 20}) {
        const std::size_t frames = t < 2 ? 15 : 10;
        Words buffer(frames * TESSEL_ETS_FRAME_WORDS), settings = Settings(0, 2, t, 50, 1, 10, 0);
        EXPECT_EQ(dsoETSGetData(0, 5, 5, 0, buffer.data(), 0, settings.data(), 0, 200, 0), 1) << t;
    }
    dsoSetTDCSel(0, 1);
}

TEST(BufferSizes, EtsAssembly) {
    Words ch1(500), ch2(500), age(502), calibration(2), range(2);
    range[0] = 900;
    range[1] = 100;
    for (std::uint16_t t = 0; t <= 7; ++t) {
        const std::size_t count = t < 2 ? 15 : 10;
        Words frames(count * TESSEL_ETS_FRAME_WORDS), settings = Settings(0, 2, t, 50, 1, 10, 0);
        for (std::size_t f = 0; f < count; ++f) {
            std::uint16_t* frame = frames.data() + f * TESSEL_ETS_FRAME_WORDS;
            Sine(frame, 1024);
            frame[1536] = static_cast<std::uint16_t>(f * 50 % 512); // trigger point
            frame[1546] = static_cast<std::uint16_t>(150 + 70 * f); // TDC reading, low byte first
            frame[1547] = static_cast<std::uint16_t>((150 + 70 * f) >> 8);
        }
        for (std::uint16_t mode : {0, 1}) {
            for (std::uint16_t marker : {0, 234}) {
                age[501] = marker;
                dsoETS(0, settings.data(), ch1.data(), ch2.data(), frames.data(), age.data(),
                       calibration.data(), range.data(), mode);
            }
        }
    }
}

TEST(BufferSizes, SoftwareTrigger) {
    Words source(40000), screen(kScreen);
    Guarded<std::int16_t> pairs(500);
    Sine(source.data(), 40000);
    for (std::uint16_t position : {0, 50, 100, 65535}) {
        for (std::uint16_t slope : {0, 1})
            dsoSoftFindTrigger(position, slope, 250, pairs.data(), source.data(), screen.data(), 0);
        for (std::uint32_t trigger : {0u, 5000u, 20000u, 39999u, 100000u})
            for (std::uint16_t mode : {0, 5})
                dsoSoftFindTriggerCopy(position, trigger, pairs.data(), source.data(), screen.data(), mode);
    }
}

// ---- Drawing, printing's picture copy and pass/fail ----

TEST(BufferSizes, DrawingAndPassFail) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 320, 240);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    Words layout(7), record(500), x(500), y(500), colour(3, 200), knob(10), upper(500), lower(500);
    const std::uint16_t panel[7] = {320, 240, 10, 10, 10, 10, 0};
    std::copy(panel, panel + 7, layout.data());
    Sine(record.data(), 500);
    Sine(x.data(), 500);
    Sine(y.data(), 500);
    for (std::uint16_t step : {0, 10, 50}) {
        layout[6] = step;
        for (std::uint16_t mode : {0, 1}) {
            for (std::uint16_t selector = 0; selector <= 4; ++selector)
                dsoDisplayData(dc, layout.data(), mode, record.data(), selector, 255, colour.data());
#if defined(TESSEL_PALLIK) || defined(KV_SDK_MODEL_PALLIK)
            dsoDisplayDatabackup(dc, layout.data(), mode, record.data(), 0, 255, colour.data());
#endif
            dsoDisplayDataXYMode(dc, layout.data(), mode, x.data(), y.data());
            sdDisplayData(dc, layout.data(), mode, record.data(), colour.data());
            sdDisplayDataXYMode(dc, layout.data(), mode, x.data(), y.data());
        }
    }
    dsoMainPannelDrawGrid(dc, layout.data());
    sdMainPanelDrawGrid(dc, layout.data());
    EXPECT_EQ(dsoPrintDrawGrid(dc, layout.data(), 100, 300, 0, 50), 1);
    dsoPrintBackColor(dc, layout.data(), 5000, 4000, 2500, 2000);
    const std::uint16_t knobFields[10] = {100, 100, 10, 0, 10, 0, 0, 1, 1, 1};
    std::copy(knobFields, knobFields + 10, knob.data());
    dsoDrawKnob(dc, knob.data(), 50);
    dsoGetKnobCurrentScale(80, 20, knob.data());
    Guarded<double> spectrum(500, 100.0);
    sdFFTDisplayData(dc, layout.data(), spectrum.data());
    Guarded<std::int32_t> fftLayout(13), fftSpectrum(500, 300);
    const std::int32_t fftPanel[13] = {320, 240, 10, 10, 10, 10, 0, 0, 0, 0, 0, 0, 0};
    std::copy(fftPanel, fftPanel + 13, fftLayout.data());
    for (std::int32_t step : {0, 1, 7}) {
        fftLayout[6] = step;
        for (std::int32_t mode : {0, 1}) {
            fftLayout[8] = mode;
            dsoFFTDisplayData(dc, fftLayout.data(), fftSpectrum.data());
        }
    }
    dsoFFTDrawGrid(dc, fftLayout.data());
    Sine(record.data(), 500);
    EXPECT_EQ(dsoCalculatePassFailData(10, 20, upper.data(), lower.data(), record.data()), 1);
    for (std::uint16_t h : {0, 10, 249})
        dsoDrawPassFailRgn(dc, layout.data(), upper.data(), lower.data(), h);
    Guarded<std::int32_t> area(5);
    const std::int32_t areaFields[5] = {100, 80, 10, 0, 10};
    std::copy(areaFields, areaFields + 5, area.data());
    dsoSaveDataToPicture(dc, area.data());
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// ---- Simplified interface ----

TEST(BufferSizes, SdSettersLevelsAndGround) {
    Words settings = Settings(0, 2, 12, 50, 1, 10, 0), positions(5, 255), levels(42, 2000), filter(5);
    Words table(66);
    EXPECT_EQ(sdGetLevel(0, table.data()), 1);
    EXPECT_EQ(table[65], 0);
    EXPECT_EQ(sdSetVoltageAndCoupling(0, 5, 5, 0, 0, settings.data()), 1);
    for (std::uint16_t source : {0, 1, 2, 3})
        EXPECT_EQ(sdCurrentTriggerLevel(source, 5, 5, levels.data()), 1);
    EXPECT_EQ(sdSetOffset(0, positions.data(), 5, 5, 0, levels.data()), 1);
    EXPECT_EQ(sdSetTriggerAndSampleRate(0, 0, 1, settings.data(), 1, 3, 2), 1);
    EXPECT_EQ(sdSetFilt(0, filter.data()), 1);
    Words ground(524288);
    EXPECT_EQ(sdChannelInGND(255, ground.data()), 1);
    Guarded<double> spd(1);
    EXPECT_GT(sdDisplaySampling(1, 1, 1, 2, 38, 512, spd.data()), 0.0);
    Words display(500), pair(2, 10);
    EXPECT_EQ(sdDisplayScrollData(display.data(), pair.data(), 1, 1, 300, 2), 1);
}

// sdGetData in every sweep, with the alternate trigger rewriting the settings block, into the
// buffers of each selector.
TEST(BufferSizes, SdAcquisitionSteps) {
    for (std::uint16_t selector : {10, 512, 1000}) {
        const std::uint16_t memory = selector == 10 ? 1 : (selector == 512 ? 0 : 2);
        for (std::uint16_t alternate : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "selector " << selector << " alternate " << alternate);
            Words settings = Settings(0, 2, 8, 50, memory, selector, alternate);
            Words filter(5), positions(5, 255), levels(42, 2000);
            filter[3] = 1; // normal sweep starts itself
            Words a(BufferWords(selector)), b(BufferWords(selector));
            sdSetTriggerAndSampleRate(0, 0, 0, settings.data(), 0, 0, 0);
            int got = 0;
            for (int i = 0; i < 100 && got < 2; ++i)
                got += sdGetData(0, 5, 5, a.data(), b.data(), settings.data(), filter.data(),
                                 positions.data(), levels.data(), 1, 0, 0, 0);
            EXPECT_EQ(got, 2);
        }
    }
}

TEST(BufferSizes, SdRollSteps) {
    Words settings = Settings(0, 2, 27, 50, 1, 10, 0), levels(2, 10);
    Words a(TESSEL_SCREEN_BUFFER_WORDS), b(TESSEL_SCREEN_BUFFER_WORDS), d1(500), d2(500);
    Guarded<double> timing(4);
    timing[0] = 0;
    timing[1] = 100;
    for (int step = 0; step < 4; ++step) {
        EXPECT_EQ(sdGetScrollData(0, settings.data(), levels.data(), timing.data(), 5, 5, a.data(), b.data(),
                                  d1.data(), d2.data(), 50, 1, 0),
                  1);
        timing[0] += 3;
    }
}

TEST(BufferSizes, SdAutoset) {
    Words settings = Settings(0, 2, 12, 50, 1, 10, 0), block(9), filter(5), positions(5), levels(42, 2000);
    block[7] = 1;
    block[8] = 1;
    EXPECT_EQ(sdAutoset(0, settings.data(), block.data(), filter.data(), positions.data(), levels.data()), 1);
}
