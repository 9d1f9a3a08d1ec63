// Reference traces and waveform exports of the document (see WaveformFiles.h).
#include "engine/WaveformFiles.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BitmapWriter.h"
#include "engine/FileErrors.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "system/LittleEndian.h"
#include "system/Paths.h"

namespace {

constexpr int kScreenPoints = CTrace::kScreenPoints;
constexpr int kMaxTimeBase = CScopeSettings::kMaxTimeBaseStep;
constexpr std::int32_t kOldReferenceWindow = 10000;
constexpr std::size_t kMaxTextFileBytes = 64u << 20;
constexpr int kCsvSizes[] = {10240, 14336, 28672, 32768};

const char kNotReference[] = "This is not a reference file!";
const char kNotCsv[] = "This is not a CSV file!";
const char kNotOldReference[] = "This is not a ref file!";

using kv::ShowDocMessage;

void CannotSave(CKelvaneDoc& doc, const char* path, int err) {
    ShowDocMessage(doc, "Cann't save file: " + kv::FileErrorText(path, err, "write failed"));
}

// Writes the whole file; a failure is told to the user and gives 0.
int SaveOrTell(CKelvaneDoc& doc, const char* path, const void* data, std::size_t size) {
    CString error;
    if (kv::SaveWholeFile(path, data, size, &error))
        return 1;
    ShowDocMessage(doc, error.GetString());
    return 0;
}

int SaveOrTell(CKelvaneDoc& doc, const char* path, const std::string& text) {
    return SaveOrTell(doc, path, text.data(), text.size());
}

// Reads a whole file of the given extension. A path of another extension, or a file that
// cannot be read, is told to the user and gives false.
bool ReadOrTell(CKelvaneDoc& doc, const char* path, const char* extension, const char* notThisKind,
                std::vector<std::uint8_t>& bytes) {
    if (!path || kv::ExtensionOf4(path) != extension) {
        ShowDocMessage(doc, notThisKind);
        return false;
    }
    errno = 0;
    if (!kv::ReadWholeFile(path, bytes, kMaxTextFileBytes)) {
        ShowDocMessage(doc, "Can not open file: " + kv::FileErrorText(path, errno, "read failed"));
        return false;
    }
    return true;
}

// Fixed-point text of a value, "%.<precision>f" in the C locale whatever the process locale.
void AppendFixed(std::string& out, double value, int precision) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    if (res.ec == std::errc())
        out.append(buf, res.ptr);
    else
        out += "0";
}

std::string_view SkipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

// The number at the start of s (blanks and tabs skipped); false, with 0, when there is none.
bool ParseDouble(std::string_view s, double& value) {
    s = SkipBlanks(s);
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    value = 0.0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone: the sign decides which end it was.
        value = (!s.empty() && s[0] == '-') ? -std::numeric_limits<double>::infinity()
                                            : std::numeric_limits<double>::infinity();
        return true;
    }
    return res.ec == std::errc();
}

// A decimal integer at the start of the line, saturated to 32 bits; 0 when there is none.
long long ParseInteger(std::string_view s) {
    s = SkipBlanks(s);
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    long long v = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec == std::errc::result_out_of_range)
        return (!s.empty() && s[0] == '-') ? std::numeric_limits<long long>::min()
                                           : std::numeric_limits<long long>::max();
    return res.ec == std::errc() ? v : 0;
}

std::int16_t SaturateShort(long long v) {
    return static_cast<std::int16_t>(std::clamp<long long>(v, std::numeric_limits<std::int16_t>::min(),
                                                           std::numeric_limits<std::int16_t>::max()));
}

// Lines of a text file; "\n" and "\r\n" ends are both accepted.
std::vector<std::string_view> SplitLines(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::string_view> lines;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

const CTrace& SaveChannel(const CKelvaneDoc& doc) {
    return doc.m_nSaveChannel == 0 ? static_cast<const CTrace&>(doc.m_ch1)
                                   : static_cast<const CTrace&>(doc.m_ch2);
}

// The points an export takes from a channel: its 500 screen points, or the work record of its
// record length (bounded by the buffer).
std::vector<std::int16_t> ChannelPoints(const CTrace& t, bool screen) {
    if (screen)
        return std::vector<std::int16_t>(t.GetScreenTrace(), t.GetScreenTrace() + kScreenPoints);
    const std::int16_t* work = t.GetWorkRecord();
    if (!work)
        return {};
    const std::int32_t n = std::clamp(t.GetRecordLength(), 0, t.GetRecordCapacity());
    return std::vector<std::int16_t>(work, work + n);
}

// The nearest code to a voltage read from a text file. Voltages are printed with six decimals,
// so one can lie a hair below its code: truncating alone would lower such a sample by one code
// on every save and load.
std::int16_t VoltsToNearestCode(const CTrace& t, double volts) {
    // Saturated first, so the neighbours below cannot overflow for a huge voltage.
    const int code = CTrace::SaturateToShort(t.VoltsToRaw(volts));
    if (!std::isfinite(volts))
        return CTrace::SaturateToShort(code);
    int best = code;
    double bestError = std::fabs(t.RawToVolts(CTrace::SaturateToShort(code)) - volts);
    for (int candidate : {code - 1, code + 1}) {
        if (candidate < std::numeric_limits<std::int16_t>::min() ||
            candidate > std::numeric_limits<std::int16_t>::max())
            continue;
        const double error = std::fabs(t.RawToVolts(static_cast<std::int16_t>(candidate)) - volts);
        if (error < bestError) {
            best = candidate;
            bestError = error;
        }
    }
    return CTrace::SaturateToShort(best);
}

// The ".txt" and ".doc" layout for CH1 and CH2.
std::string WaveformText(const CKelvaneDoc& doc, bool screenPoints) {
    const bool ets = doc.m_settings.GetSamplingMode() == kSamplingEts;
    const double clock = doc.m_settings.GetSecondsPerDiv();
    std::string out;
    const CTrace* channels[2] = {&doc.m_ch1, &doc.m_ch2};
    for (int c = 0; c < 2; ++c) {
        const CTrace& t = *channels[c];
        if (!t.IsOn()) {
            out += c == 0 ? "CH1 OFF\n\n" : "\n\nCH2 OFF\n\n";
            continue;
        }
        const std::vector<std::int16_t> points = ChannelPoints(t, screenPoints || ets);
        out += c == 0 ? "#CHANNEL:CH1\n" : "\n#CHANNEL:CH2\n";
        out += "#CLOCK=";
        AppendFixed(out, clock, 9);
        out += c == 0 ? "S\n" : "\n";
        out += "#SIZE=" + std::to_string(points.size()) + "\n";
        out += "#UNITS:V\n\n";
        for (std::int16_t p : points) {
            AppendFixed(out, t.RawToVolts(p), 6);
            out += '\n';
        }
    }
    return out;
}

// Reference fields parsed from a file, committed to REF only when all of them hold.
struct ReferenceData {
    float position = 0.0f;
    int voltDiv = 0;
    long long announced = 0; // the sample count the file gives
    long long windowLength = 0;
    int timeBase = 0;
    int horizontalPosition = 0;
    std::vector<std::int16_t> samples;
};

bool ReferenceValid(const ReferenceData& d) {
    return !d.samples.empty() && d.voltDiv >= 0 && d.voltDiv <= kMaxVoltDiv && d.timeBase >= 0 &&
           d.timeBase <= kMaxTimeBase && d.horizontalPosition >= 0 &&
           d.horizontalPosition <= kMaxHorizontalPosition && std::isfinite(d.position);
}

void CommitReference(CKelvaneDoc& doc, const ReferenceData& d, bool fromRfc) {
    CRefChannel& ref = doc.m_ref;
    ref.SetPosition(d.position);
    ref.SetLoadedPosition(d.position);
    ref.SetVoltsPerDivIndex(static_cast<std::int16_t>(d.voltDiv));
    ref.SetRecordLength(static_cast<std::int32_t>(d.samples.size()));
    const std::int32_t window = static_cast<std::int32_t>(std::clamp<long long>(
        d.windowLength, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    if (fromRfc && d.announced == CRefChannel::kScreenRecordLength)
        ref.SetDisplayPointCount(static_cast<std::int16_t>(std::clamp(window, 1, kScreenPoints)));
    else
        ref.SetWindowLength(window);
    ref.SetTimeBaseIndex(static_cast<std::int16_t>(d.timeBase));
    ref.SetHorizontalPosition(static_cast<std::int16_t>(d.horizontalPosition));
    std::copy(d.samples.begin(), d.samples.end(), ref.GetRawRecord());
    ref.SaveAcquisitionState(doc.m_settings.GetTimeBaseFormat() == kFormatRoll ? 1 : 0);
}

} // namespace

void CopyRecordWindow(CTrace& trace, int horizontalPosition, std::int16_t* dest) {
    if (!dest)
        return;
    const std::int16_t zero =
        CTrace::SaturateToShort(511.0 - std::trunc(static_cast<double>(trace.GetPosition())));
    std::fill_n(dest, kv::kCsvWindowPoints, zero);
    const std::int16_t* work = trace.GetWorkRecord();
    if (!work)
        return;
    const std::int64_t length =
        std::clamp<std::int64_t>(trace.GetRecordLength(), 0, trace.GetRecordCapacity());
    if (length <= kv::kCsvWindowPoints) {
        std::copy(work, work + length, dest);
        return;
    }
    trace.SetWindowLength(kv::kCsvWindowLength);
    const std::int64_t h = horizontalPosition;
    const std::int64_t trigger =
        static_cast<std::int64_t>(std::trunc(static_cast<double>(h) * static_cast<double>(length) * 0.002));
    const std::int64_t first = trigger - h * 1024;
    // Window samples outside the record read as the zero line instead of memory past it.
    std::vector<std::int16_t> window(static_cast<std::size_t>(kv::kCsvWindowSamples), zero);
    for (std::int64_t i = 0; i < kv::kCsvWindowSamples; ++i) {
        const std::int64_t s = first + i;
        if (s >= 0 && s < length)
            window[static_cast<std::size_t>(i)] = work[s];
    }
    MinMaxDecimate(kv::kCsvBucketSamples, kv::kCsvWindowPoints / 2, window.data(), dest,
                   kv::kCsvWindowSamples);
}

int CKelvaneDoc::SaveReferenceFile(const char* path) {
    const CTrace& t = SaveChannel(*this);
    const bool ets = m_settings.GetSamplingMode() == kSamplingEts;
    const std::vector<std::int16_t> points = ChannelPoints(t, ets);
    kv::LeWriter w;
    w.F32(t.GetPosition());                           // 0: vertical position
    w.I16(t.GetVoltsPerDivIndex());                   // 4: volts/div index
    w.I32(static_cast<std::int32_t>(points.size()));  // 6: sample count
    w.I32(ets ? kScreenPoints : t.GetWindowLength()); // 10: window length
    w.I16(m_settings.GetTimeBaseIndex());             // 14: time-base index
    w.I16(static_cast<std::int16_t>(                  // 16: horizontal position
        std::clamp<int>(m_settings.GetHorizontalPosition(), 0, kMaxHorizontalPosition)));
    for (std::int16_t p : points) // 18: samples
        w.I16(p);
    return SaveOrTell(*this, path, w.Data().data(), w.Data().size());
}

int CKelvaneDoc::LoadReferenceFile(const char* path) {
    std::vector<std::uint8_t> bytes;
    if (!ReadOrTell(*this, path, ".rfc", kNotReference, bytes))
        return 0;
    const std::int32_t capacity = m_ref.GetRecordCapacity();
    kv::LeReader r(bytes);
    ReferenceData d;
    d.position = r.F32();
    d.voltDiv = r.I16();
    d.announced = r.I32();
    d.windowLength = r.I32();
    d.timeBase = r.I16();
    d.horizontalPosition = r.I16();
    // Samples up to the count, the buffer and the end of the file, whichever comes first.
    if (r.Ok() && d.announced >= 1 && capacity > 0) {
        const long long n =
            std::min<long long>({d.announced, capacity, static_cast<long long>(r.Remaining() / 2)});
        d.samples.resize(static_cast<std::size_t>(n));
        for (auto& s : d.samples)
            s = r.I16();
    }
    // Half-checked fields would leave REF partly overwritten and indexing tables out of range.
    if (bytes.size() < static_cast<std::size_t>(kv::kReferenceHeaderBytes) || !ReferenceValid(d)) {
        ShowDocMessage(*this, kNotReference);
        return 0;
    }
    CommitReference(*this, d, true);
    return 1;
}

int CKelvaneDoc::LoadOldReferenceFile(const char* path) {
    std::vector<std::uint8_t> bytes;
    if (!ReadOrTell(*this, path, ".ref", kNotOldReference, bytes))
        return 0;
    const std::vector<std::string_view> lines = SplitLines(bytes);
    const std::size_t capacity = static_cast<std::size_t>(std::max(m_ref.GetRecordCapacity(), 0));
    ReferenceData d;
    bool complete = false;
    auto keep = [&](std::string_view line) {
        if (d.samples.size() < capacity)
            d.samples.push_back(SaturateShort(ParseInteger(line)));
    };
    auto position = [](std::string_view line) {
        double v = 0.0;
        ParseDouble(line, v);
        return static_cast<float>(v);
    };
    auto percentToPoints = [](long long pct) {
        return static_cast<int>(std::clamp<long long>(pct, -1, 101) * 5);
    };
    if (!lines.empty()) {
        const long long first = ParseInteger(lines[0]);
        if (first < 256) {
            // Form A: samples up to the "." line, which is consumed; then volts/div, horizontal
            // position in percent and vertical position.
            std::size_t i = 0;
            while (i < lines.size() && lines[i].find('.') == std::string_view::npos &&
                   static_cast<long>(i) <= kv::kMaxOldReferenceLines)
                keep(lines[i++]);
            if (i + 3 < lines.size() && static_cast<long>(i) <= kv::kMaxOldReferenceLines) {
                d.announced = static_cast<long long>(i);
                d.voltDiv = static_cast<int>(std::clamp<long long>(ParseInteger(lines[i + 1]), -1, 10));
                d.horizontalPosition = percentToPoints(ParseInteger(lines[i + 2]));
                d.position = position(lines[i + 3]);
                d.timeBase = m_settings.GetTimeBaseIndex();
                d.windowLength = kOldReferenceWindow;
                complete = true;
            }
        } else {
            // Form B: count, samples, then time base, volts/div, horizontal position in percent,
            // vertical position and window length.
            const long long n = first;
            if (static_cast<unsigned long long>(n) + 6 <= lines.size()) {
                for (long long k = 1; k <= n; ++k)
                    keep(lines[static_cast<std::size_t>(k)]);
                const std::size_t t = static_cast<std::size_t>(n) + 1;
                d.announced = n;
                d.timeBase = static_cast<int>(std::clamp<long long>(ParseInteger(lines[t]), -1, 39));
                d.voltDiv = static_cast<int>(std::clamp<long long>(ParseInteger(lines[t + 1]), -1, 10));
                d.horizontalPosition = percentToPoints(ParseInteger(lines[t + 2]));
                d.position = position(lines[t + 3]);
                d.windowLength = ParseInteger(lines[t + 4]);
                complete = true;
            }
        }
    }
    if (!complete || !ReferenceValid(d)) {
        ShowDocMessage(*this, kNotOldReference);
        return 0;
    }
    CommitReference(*this, d, false);
    return 1;
}

int CKelvaneDoc::SaveCsvFile(const char* path) {
    const CTrace& t = SaveChannel(*this);
    std::string out = "#CLOCK=";
    AppendFixed(out, m_settings.GetSecondsPerDiv(), 9);
    out += '\n';
    auto appendPoints = [&](const std::int16_t* points, std::size_t count) {
        out += "#SIZE=" + std::to_string(count) + "\n";
        for (std::size_t i = 0; i < count; ++i) {
            AppendFixed(out, t.RawToVolts(points[i]), 6);
            out += ",0,0\n";
        }
    };
    switch (m_nModel) {
    case 0:
    case 1:
    case 4: {
        const std::vector<std::int16_t> points = ChannelPoints(t, false);
        appendPoints(points.data(), points.size());
        break;
    }
    case 2:
    case 5: {
        std::vector<std::int16_t> window(static_cast<std::size_t>(kv::kCsvWindowPoints));
        CopyRecordWindow(m_nSaveChannel == 0 ? static_cast<CTrace&>(m_ch1) : static_cast<CTrace&>(m_ch2),
                         m_settings.GetHorizontalPosition(), window.data());
        appendPoints(window.data(), window.size());
        break;
    }
    default:
        break; // the clock line only
    }
    return SaveOrTell(*this, path, out);
}

int CKelvaneDoc::LoadCsvFile(const char* path) {
    std::vector<std::uint8_t> bytes;
    if (!ReadOrTell(*this, path, ".csv", kNotCsv, bytes))
        return 0;
    const std::vector<std::string_view> lines = SplitLines(bytes);
    // Both header lines are checked before anything changes: a refused file leaves the time
    // base and CH1 as they were.
    if (lines.size() < 2)
        return 0;
    const std::size_t clockEq = lines[0].find('=');
    const std::size_t sizeEq = lines[1].find('=');
    if (clockEq == std::string_view::npos || sizeEq == std::string_view::npos || !GetUi())
        return 0;
    double clock = 0.0;
    ParseDouble(lines[0].substr(clockEq + 1), clock);
    const long long size = ParseInteger(lines[1].substr(sizeEq + 1));
    if (std::find(std::begin(kCsvSizes), std::end(kCsvSizes), size) == std::end(kCsvSizes) ||
        size > m_ch1.GetRecordCapacity() || !m_ch1.GetWorkRecord())
        return 0;

    std::int16_t timeBase = 0;
    for (std::int16_t i = 0; i <= kMaxTimeBase; ++i) {
        if (std::fabs(m_settings.TimeBaseSeconds(i) - clock) < 1e-9) {
            timeBase = i;
            break;
        }
    }
    SetTimeBaseIndex(timeBase);
    GetUi()->SelectSidePanelCombo(SidePanelCombo::TimeDiv, timeBase);
    GetUi()->RepaintView();

    m_ch1.SetRecordLength(static_cast<std::int32_t>(size));
    std::int16_t* work = m_ch1.GetWorkRecord();
    // Points past the end of the file keep their previous values.
    for (long long j = 0; j < size && static_cast<std::size_t>(j) + 2 < lines.size(); ++j) {
        const std::string_view line = lines[static_cast<std::size_t>(j) + 2];
        double volts = 0.0;
        ParseDouble(line.substr(0, line.find(',')), volts);
        work[j] = VoltsToNearestCode(m_ch1, volts);
    }
    return 1;
}

int CKelvaneDoc::SaveWaveformText(const char* path) {
    return SaveOrTell(*this, path, WaveformText(*this, false));
}

int CKelvaneDoc::SaveWaveformDoc(const char* path) {
    return SaveOrTell(*this, path, WaveformText(*this, true));
}

int CKelvaneDoc::SaveWaveformXls(const char* path) {
    return SaveWaveformDoc(path);
}

int CKelvaneDoc::SaveImageFile(const char* path, const CScreenImage* image) {
    // A capture that produced no bitmap must not leave an empty or broken image file.
    if (!path || !image || image->IsEmpty()) {
        CannotSave(*this, path, 0);
        return 0;
    }
    errno = 0;
    if (WriteWindowBitmap(*image, path))
        return 1;
    CannotSave(*this, path, errno);
    return 0;
}
