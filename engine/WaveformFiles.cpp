// Reference traces and waveform exports of the document (see WaveformFiles.h).
#include "engine/WaveformFiles.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BitmapWriter.h"
#include "engine/FileErrors.h"
#include "engine/KelvaneDoc.h"
#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "system/LittleEndian.h"
#include "system/Narrow.h"
#include "system/NumberText.h"
#include "system/Paths.h"
#include "system/Profile.h"

namespace {

constexpr int kScreenPoints = CTrace::kScreenPoints;
constexpr int kMaxTimeBase = CScopeSettings::kMaxTimeBaseStep;
constexpr std::int32_t kOldReferenceWindow = 10000;
constexpr int kCsvSizes[] = {10240, 14336, 28672, 32768};

const char kNotReference[] = "This is not a reference file!";
const char kNotCsv[] = "This is not a CSV file!";
const char kNotOldReference[] = "This is not a ref file!";

using kv::AppendFixed;
using kv::ParseDouble;
using kv::ParseInteger;
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

// Checks the extension and opens the file. A path of another extension, or a file that cannot
// be opened, is told to the user and gives false.
bool OpenOrTell(CKelvaneDoc& doc, const char* path, const char* extension, const char* notThisKind,
                std::uint64_t maxBytes, kv::InputFile& file) {
    if (!path || kv::ExtensionOf4(path) != extension) {
        ShowDocMessage(doc, notThisKind);
        return false;
    }
    if (!file.Open(path, maxBytes)) {
        ShowDocMessage(doc, "Can not open file: " + kv::FileErrorText(path, file.Error()));
        return false;
    }
    return true;
}

// "Can not open file: <path>: <reason>" for a file whose contents cannot be used.
int RefuseContents(CKelvaneDoc& doc, const char* path, const std::string& reason) {
    ShowDocMessage(doc, "Can not open file: " + std::string(path) + ": " + reason);
    return 0;
}

// A short quotation of a line for a message.
std::string Quoted(std::string_view line) {
    constexpr std::size_t kMaxQuote = 40;
    std::string q(line.substr(0, kMaxQuote));
    if (line.size() > kMaxQuote)
        q += "...";
    return "\"" + kv::SanitizeUtf8(q) + "\"";
}

std::string_view SkipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

// A field that is one number and nothing else besides blanks: "1.2.3" or "0.5V" is no voltage.
bool ParseNumberField(std::string_view field, double& value) {
    std::string_view rest;
    return ParseDouble(field, value, &rest) && SkipBlanks(rest).empty() && !std::isnan(value);
}

// The decimal integer at the start of the line, 0 when there is none.
long long ParseInteger(std::string_view s) {
    long long v = 0;
    ParseInteger(s, v);
    return v;
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
    const int code = kv::TruncSat<std::int16_t>(t.VoltsToRaw(volts));
    if (!std::isfinite(volts))
        return kv::TruncSat<std::int16_t>(code);
    int best = code;
    double bestError = std::fabs(t.RawToVolts(kv::TruncSat<std::int16_t>(code)) - volts);
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
    return kv::TruncSat<std::int16_t>(best);
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
        kv::TruncSat<std::int16_t>(511.0 - std::trunc(static_cast<double>(trace.GetPosition())));
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
    kv::InputFile file;
    if (!OpenOrTell(*this, path, ".rfc", kNotReference, kv::kMaxReferenceFileBytes, file))
        return 0;
    std::vector<std::uint8_t> bytes;
    if (!file.ReadRest(bytes)) {
        ShowDocMessage(*this, "Can not open file: " + kv::FileErrorText(path, file.Error()));
        return 0;
    }
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
    kv::InputFile file;
    if (!OpenOrTell(*this, path, ".ref", kNotOldReference, kv::kMaxTextWaveformFileBytes, file))
        return 0;
    // Read a line at a time: only the samples that fit the REF record are kept.
    kv::LineReader lines(file);
    const std::size_t capacity = static_cast<std::size_t>(std::max(m_ref.GetRecordCapacity(), 0));
    ReferenceData d;
    bool complete = false;
    auto keep = [&](std::string_view line) {
        if (d.samples.size() < capacity)
            d.samples.push_back(kv::Saturate<std::int16_t>(ParseInteger(line)));
    };
    auto position = [](std::string_view line) {
        double v = 0.0;
        ParseDouble(line, v);
        return static_cast<float>(v);
    };
    auto percentToPoints = [](long long pct) {
        return static_cast<int>(std::clamp<long long>(pct, -1, 101) * 5);
    };
    // The next `count` lines as numbers; false when the file ends first.
    auto trailer = [&](long long* values, int count, std::string_view* last) {
        std::string_view line;
        for (int k = 0; k < count; ++k) {
            if (!lines.Next(line))
                return false;
            values[k] = ParseInteger(line);
            if (last)
                *last = line;
        }
        return true;
    };
    std::string_view line;
    if (lines.Next(line)) {
        const long long first = ParseInteger(line);
        if (first < 256) {
            // Form A: samples up to the "." line, which is consumed; then volts/div, horizontal
            // position in percent and vertical position.
            long long count = 0;
            bool separator = false;
            for (;;) {
                if (line.find('.') != std::string_view::npos) {
                    separator = true;
                    break;
                }
                if (count >= kv::kMaxOldReferenceLines)
                    break;
                keep(line);
                ++count;
                if (!lines.Next(line))
                    break;
            }
            long long values[3] = {};
            std::string_view positionLine;
            if (separator && trailer(values, 3, &positionLine)) {
                d.announced = count;
                d.voltDiv = static_cast<int>(std::clamp<long long>(values[0], -1, 10));
                d.horizontalPosition = percentToPoints(values[1]);
                d.position = position(positionLine);
                d.timeBase = m_settings.GetTimeBaseIndex();
                d.windowLength = kOldReferenceWindow;
                complete = true;
            }
        } else {
            // Form B: count, samples, then time base, volts/div, horizontal position in percent,
            // vertical position and window length.
            const long long n = first;
            long long k = 0;
            while (k < n && lines.Next(line)) {
                keep(line);
                ++k;
            }
            long long values[5] = {};
            std::string_view positionLine;
            if (k == n && trailer(values, 4, &positionLine)) {
                // Taken before the next read, which may move the line's bytes.
                d.position = position(positionLine);
                if (trailer(values + 4, 1, nullptr)) {
                    d.announced = n;
                    d.timeBase = static_cast<int>(std::clamp<long long>(values[0], -1, 39));
                    d.voltDiv = static_cast<int>(std::clamp<long long>(values[1], -1, 10));
                    d.horizontalPosition = percentToPoints(values[2]);
                    d.windowLength = values[4];
                    complete = true;
                }
            }
        }
    }
    if (file.Error().IsSet()) {
        ShowDocMessage(*this, "Can not open file: " + kv::FileErrorText(path, file.Error()));
        return 0;
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
    switch (CapabilitiesOfModel(m_nModel).csvExport) {
    case CsvExportPoints::kRecord: {
        const std::vector<std::int16_t> points = ChannelPoints(t, false);
        appendPoints(points.data(), points.size());
        break;
    }
    case CsvExportPoints::kWindow: {
        std::vector<std::int16_t> window(static_cast<std::size_t>(kv::kCsvWindowPoints));
        CopyRecordWindow(m_nSaveChannel == 0 ? static_cast<CTrace&>(m_ch1) : static_cast<CTrace&>(m_ch2),
                         m_settings.GetHorizontalPosition(), window.data());
        appendPoints(window.data(), window.size());
        break;
    }
    case CsvExportPoints::kNone:
        break; // the clock line only
    }
    return SaveOrTell(*this, path, out);
}

int CKelvaneDoc::LoadCsvFile(const char* path) {
    kv::InputFile file;
    if (!OpenOrTell(*this, path, ".csv", kNotCsv, kv::kMaxTextWaveformFileBytes, file))
        return 0;
    // Read a line at a time and only as far as the points go: the file is never held whole.
    kv::LineReader lines(file);
    std::string_view line;
    const auto lineError = [&](const char* what) {
        return file.Error().IsSet() ? file.Error().Text() : std::string(what);
    };
    // Both header lines are checked, and every point parsed, before anything changes: a refused
    // file leaves the time base and CH1 as they were.
    if (!lines.Next(line))
        return RefuseContents(*this, path, lineError("the file is empty"));
    const std::size_t clockEq = line.find('=');
    double clock = 0.0;
    if (clockEq == std::string_view::npos || !ParseDouble(line.substr(clockEq + 1), clock) ||
        std::isnan(clock))
        return RefuseContents(*this, path, "line 1 does not give the clock (\"#CLOCK=<seconds>\")");
    if (!lines.Next(line))
        return RefuseContents(*this, path, lineError("the file has no size line"));
    const std::size_t sizeEq = line.find('=');
    long long size = 0;
    if (sizeEq == std::string_view::npos || !ParseInteger(line.substr(sizeEq + 1), size))
        return RefuseContents(*this, path, "line 2 does not give the size (\"#SIZE=<points>\")");
    if (std::find(std::begin(kCsvSizes), std::end(kCsvSizes), size) == std::end(kCsvSizes))
        return RefuseContents(*this, path,
                              "the size " + std::to_string(size) + " is not 10240, 14336, 28672 or 32768");
    // The time/div list shows the file's clock: a document without a view loads no CSV.
    if (size > m_ch1.GetRecordCapacity() || !m_ch1.GetWorkRecord() || !Ui().HasView())
        return 0;

    std::vector<std::int16_t> points;
    points.reserve(static_cast<std::size_t>(size));
    // Blank lines at the end of the file end the points; a blank line followed by more points is
    // as bad as any other line that holds no number.
    std::size_t firstBlank = 0;
    for (long long j = 0; j < size && lines.Next(line); ++j) {
        if (SkipBlanks(line).empty()) {
            if (firstBlank == 0)
                firstBlank = lines.LineNumber();
            continue;
        }
        if (firstBlank != 0)
            return RefuseContents(*this, path, "line " + std::to_string(firstBlank) + " holds no number");
        double volts = 0.0;
        // A point that is not a number must not become 0 V (or part of itself) on the screen.
        if (!ParseNumberField(line.substr(0, line.find(',')), volts))
            return RefuseContents(*this, path,
                                  "line " + std::to_string(lines.LineNumber()) + " " + Quoted(line) +
                                      " is not a number");
        points.push_back(VoltsToNearestCode(m_ch1, volts));
    }
    if (file.Error().IsSet())
        return RefuseContents(*this, path, file.Error().Text());

    std::int16_t timeBase = 0;
    for (std::int16_t i = 0; i <= kMaxTimeBase; ++i) {
        if (std::fabs(m_settings.TimeBaseSeconds(i) - clock) < 1e-9) {
            timeBase = i;
            break;
        }
    }
    SetTimeBaseIndex(timeBase);
    Ui().SelectSidePanelCombo(SidePanelCombo::TimeDiv, timeBase);
    Ui().RepaintView();

    m_ch1.SetRecordLength(static_cast<std::int32_t>(size));
    // Points past the end of the file keep their previous values.
    std::copy(points.begin(), points.end(), m_ch1.GetWorkRecord());
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
    // The name decides the format: a ".jpg" file holding bitmap bytes is no JPEG file.
    const ImageFileType type = ImageFileTypeOfPath(path);
    if (type == ImageFileType::Bitmap) {
        errno = 0;
        if (WriteWindowBitmap(*image, path))
            return 1;
        CannotSave(*this, path, errno);
        return 0;
    }
    if (type == ImageFileType::Unknown) {
        ShowDocMessage(*this, "Cann't save file: " + std::string(path) +
                                  ": a screen image is saved as .bmp, .png or .jpg; nothing was written");
        return 0;
    }
    const char* format = type == ImageFileType::Png ? "png" : "jpeg";
    std::vector<std::uint8_t> bytes;
    if (!Ui().EncodeImage(*image, format, bytes) || bytes.empty()) {
        ShowDocMessage(*this, "Cann't save file: " + std::string(path) + ": no " + format +
                                  " encoder is available; nothing was written");
        return 0;
    }
    return SaveOrTell(*this, path, bytes.data(), bytes.size());
}
