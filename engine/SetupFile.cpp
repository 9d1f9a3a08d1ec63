// The setup file: every setting of the program in one little-endian record (see SetupFile.h).
#include "engine/SetupFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/FileErrors.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "system/LittleEndian.h"
#include "system/Paths.h"

namespace {

constexpr int kMaxProbe = 3;
constexpr int kMaxCoupling = 2;
constexpr int kMaxFilter = 2;
constexpr int kMaxInterpolation = 2;
constexpr int kMaxTimeBase = CScopeSettings::kMaxTimeBaseStep;
constexpr int kFirstSlowTimeBase = 25; // 400 ms/div and slower run in Roll
constexpr int kMeasureSlots = CMeasure::kMaxEntries;
constexpr int kRecordSamples = CRecordStore::kMaxFrames * CRecordStore::kFramePoints;

bool In(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

bool Finite(float v) {
    return std::isfinite(v);
}

// Record lengths a channel may carry: the lengths of the record-length codes and the
// 28672-point length of a loaded CSV file.
bool ValidChannelRecordLength(std::int32_t length, std::int32_t bufferSize) {
    switch (length) {
    case 10240:
    case 14336:
    case 28672:
    case 32768:
    case 524288:
        return length <= bufferSize;
    default:
        return false;
    }
}

// ---- The fields of one file, as read, before anything is applied -----------------------------

struct ChannelFields {
    std::int32_t on = 0;
    int voltDiv = 0, coupling = 0, probe = 0, filter = 0;
    std::int32_t invert = 0, bandwidth = 0;
    float position = 0;
    int interpolation = 0;
    std::int32_t length = 0, color = 0;
};

struct MathFields {
    std::int32_t on = 0;
    int voltDiv = 0, probe = 0, sourceA = 0, sourceB = 0, operation = 0;
    std::int32_t invert = 0;
    float position = 0;
    int interpolation = 0;
    std::int32_t length = 0, color = 0;
};

struct RefFields {
    std::int32_t on = 0, noSamples = 1;
    float position = 0, positionAtAcquisition = 0;
    int voltDiv = 0, voltDivAtAcquisition = 0;
    std::int32_t length = 0;
    int timeBase = 0, horizontalPosition = 0;
    float loadedPosition = 0;
    std::int32_t color = 0;
    bool lengthValid = false;
    std::vector<std::int16_t> samples; // present only when the file carries a sample block
};

struct TriggerFields {
    int type = 0, sweep = 0, source = 0, slope = 0;
    float level[3] = {}, volts[3] = {};
    std::int32_t hfReject = 0;
    std::int16_t marker[3] = {};
    float dragValue = 0;
    std::int32_t pulseWidth = 0;
    int pulseCondition = 0;
};

struct TimeBaseFields {
    int index = 0, recordLengthMode = 0, format = 0, horizontalPosition = 0, samplingMode = 0;
};

struct ScreenFields {
    int cursorSource = 0, cursorMode = 0, dotMode = 0;
    std::int32_t gridOn = 0;
    int gridIntensity = 0, waveformIntensity = 0;
};

struct AcquisitionFields {
    int persistenceDepth = 0;
    std::int32_t persistenceOn = 0;
    int acquireMode = 0, framesToAverage = 0, saveChannel = 0;
};

struct RecordFields {
    std::int32_t noData = 1;
    int channel = 0, endFrame = 0, recordInterval = 0, framesRecorded = 0, timeBase = 0, voltDiv = 0;
    float position = 0;
    int coupling = 0, probe = 0, flagWord = 0;
    std::int32_t playing = 0;
    int playStart = 0, horizontalPosition = 0;
    std::uint32_t recordingValue = 0;
    int playInterval = 0, currentFrame = 0, playEnd = 0;
    std::int32_t repeat = 0;
    std::vector<std::int16_t> frames;
};

struct PassFailFields {
    int horizontalTolerance = 0, verticalTolerance = 0;
    std::uint64_t failed = 0, passed = 0, total = 0;
    int output = 0, source = 0;
    std::int32_t stop = 0;
    std::int16_t upper[CPassFail::kPoints] = {};
    std::int16_t lower[CPassFail::kPoints] = {};
};

struct MeasureFields {
    int count = 0, source = 0;
    CMeasure::Entry entries[kMeasureSlots];
};

struct FftFields {
    std::int32_t on = 0;
    int source = 0, window = 0, bins = 0, scale = 0;
    double verticalScale = 0;
    int zoom = 0;
};

// How far a read got: a REF block that announces samples it cannot hold ends the read there.
enum class ReadEnd { Complete, StoppedAfterRef };

struct SetupFields {
    std::int32_t language = -1;
    ChannelFields ch[2];
    MathFields math;
    RefFields ref;
    ReadEnd end = ReadEnd::Complete;
    TriggerFields trigger;
    TimeBaseFields timeBase;
    ScreenFields screen;
    AcquisitionFields acquisition;
    RecordFields record;
    PassFailFields passFail;
    MeasureFields measure;
    FftFields fft;
};

// 16-bit fields hold signed values in the same bits.
int S16(kv::LeReader& r) {
    return r.I16();
}

void ReadSamples(kv::LeReader& r, std::vector<std::int16_t>& out, std::size_t count) {
    if (r.Remaining() / 2 < count) {
        std::uint8_t past[3];
        while (r.Ok()) // reading past the end marks the reader failed
            r.Bytes(past, sizeof past);
        return;
    }
    out.resize(count);
    for (auto& s : out)
        s = r.I16();
}

void ReadChannel(kv::LeReader& r, ChannelFields& c) {
    c.on = r.I32();
    c.voltDiv = S16(r);
    c.coupling = S16(r);
    c.probe = S16(r);
    c.filter = S16(r);
    c.invert = r.I32();
    c.bandwidth = r.I32();
    c.position = r.F32();
    c.interpolation = S16(r);
    c.length = r.I32();
    c.color = r.I32();
}

void ReadMath(kv::LeReader& r, MathFields& m) {
    m.on = r.I32();
    m.voltDiv = S16(r);
    m.probe = S16(r);
    m.sourceA = S16(r);
    m.sourceB = S16(r);
    m.operation = S16(r);
    m.invert = r.I32();
    m.position = r.F32();
    m.interpolation = S16(r);
    m.length = r.I32();
    m.color = r.I32();
}

// Returns false when the REF block announces samples whose count cannot be trusted.
bool ReadRef(kv::LeReader& r, RefFields& f, std::int32_t capacity) {
    f.on = r.I32();
    f.noSamples = r.I32();
    f.position = r.F32();
    f.positionAtAcquisition = r.F32();
    f.voltDiv = S16(r);
    f.voltDivAtAcquisition = S16(r);
    f.length = r.I32();
    f.timeBase = S16(r);
    f.horizontalPosition = S16(r);
    f.loadedPosition = r.F32();
    f.color = r.I32();
    f.lengthValid = f.length >= 1 && f.length <= capacity;
    if (!r.Ok() || f.noSamples != 0)
        return true;
    if (!f.lengthValid)
        return false;
    ReadSamples(r, f.samples, static_cast<std::size_t>(f.length));
    return true;
}

void ReadTrigger(kv::LeReader& r, TriggerFields& t) {
    t.type = S16(r);
    t.sweep = S16(r);
    t.source = S16(r);
    t.slope = S16(r);
    for (float& v : t.level)
        v = r.F32();
    for (float& v : t.volts)
        v = r.F32();
    t.hfReject = r.I32();
    for (auto& w : t.marker)
        w = r.I16();
    t.dragValue = r.F32();
    t.pulseWidth = r.I32();
    t.pulseCondition = S16(r);
}

void ReadRecord(kv::LeReader& r, RecordFields& f) {
    f.noData = r.I32();
    f.channel = S16(r);
    f.endFrame = S16(r);
    f.recordInterval = S16(r);
    f.framesRecorded = S16(r);
    f.timeBase = S16(r);
    f.voltDiv = S16(r);
    f.position = r.F32();
    f.coupling = S16(r);
    f.probe = S16(r);
    f.flagWord = S16(r);
    f.playing = r.I32();
    f.playStart = S16(r);
    f.horizontalPosition = S16(r);
    f.recordingValue = r.U32();
    f.playInterval = S16(r);
    f.currentFrame = S16(r);
    f.playEnd = S16(r);
    f.repeat = r.I32();
    if (r.Ok() && f.noData == 0)
        ReadSamples(r, f.frames, kRecordSamples);
}

void ReadPassFail(kv::LeReader& r, PassFailFields& p) {
    p.horizontalTolerance = S16(r);
    p.verticalTolerance = S16(r);
    auto u64 = [&r]() {
        const std::uint64_t lo = r.U32();
        const std::uint64_t hi = r.U32();
        return lo | (hi << 32);
    };
    p.failed = u64();
    p.passed = u64();
    p.total = u64();
    p.output = S16(r);
    p.source = S16(r);
    p.stop = r.I32();
    for (auto& v : p.upper)
        v = r.I16();
    for (auto& v : p.lower)
        v = r.I16();
}

void ReadMeasure(kv::LeReader& r, MeasureFields& m) {
    m.count = S16(r);
    m.source = S16(r);
    for (auto& e : m.entries) {
        e.used = r.I32();
        e.source = r.I16();
        e.type = r.I16();
    }
}

void ReadFft(kv::LeReader& r, FftFields& f) {
    f.on = r.I32();
    f.source = S16(r);
    f.window = S16(r);
    f.bins = S16(r);
    f.scale = S16(r);
    f.verticalScale = r.F64();
    f.zoom = S16(r);
}

// Everything after the header. Returns the name of the block in which the file ends early (the
// file is then refused whole), or null when every block was there.
const char* ReadBody(kv::LeReader& r, SetupFields& f, std::int32_t refCapacity) {
    ReadChannel(r, f.ch[0]);
    if (!r.Ok())
        return "CH1";
    ReadChannel(r, f.ch[1]);
    if (!r.Ok())
        return "CH2";
    ReadMath(r, f.math);
    if (!r.Ok())
        return "MATH";
    const bool refTrusted = ReadRef(r, f.ref, refCapacity);
    if (!r.Ok())
        return "REF";
    if (!refTrusted) {
        f.end = ReadEnd::StoppedAfterRef;
        return nullptr;
    }
    ReadTrigger(r, f.trigger);
    if (!r.Ok())
        return "trigger";
    TimeBaseFields& t = f.timeBase;
    t.index = S16(r);
    t.recordLengthMode = S16(r);
    t.format = S16(r);
    t.horizontalPosition = S16(r);
    t.samplingMode = S16(r);
    if (!r.Ok())
        return "time base";
    ScreenFields& s = f.screen;
    s.cursorSource = S16(r);
    s.cursorMode = S16(r);
    s.dotMode = S16(r);
    s.gridOn = r.I32();
    s.gridIntensity = S16(r);
    s.waveformIntensity = S16(r);
    if (!r.Ok())
        return "screen";
    AcquisitionFields& a = f.acquisition;
    a.persistenceDepth = S16(r);
    a.persistenceOn = r.I32();
    a.acquireMode = S16(r);
    a.framesToAverage = S16(r);
    a.saveChannel = S16(r);
    if (!r.Ok())
        return "acquisition";
    ReadRecord(r, f.record);
    if (!r.Ok())
        return "record";
    ReadPassFail(r, f.passFail);
    if (!r.Ok())
        return "pass/fail";
    ReadMeasure(r, f.measure);
    if (!r.Ok())
        return "measurement";
    ReadFft(r, f.fft);
    if (!r.Ok())
        return "FFT";
    return nullptr;
}

bool MagicMatches(kv::LeReader& r) {
    for (std::size_t i = 0; i < kv::kSetupMagicChars; ++i) {
        if (r.U16() != static_cast<std::uint16_t>(kv::kSetupMagic[i]))
            return false;
    }
    return r.Ok();
}

void WriteHeader(kv::LeWriter& w, std::int16_t model, std::int32_t language) {
    for (std::size_t i = 0; i < kv::kSetupMagicChars; ++i)
        w.U16(static_cast<std::uint16_t>(kv::kSetupMagic[i]));
    w.I16(model);
    w.I32(language);
}

// ---- Writing: the blocks in file order, each the mirror of its reader above ----

void WriteChannel(kv::LeWriter& w, const CTrace& t) {
    w.I32(t.IsOn());
    w.I16(t.GetVoltsPerDivIndex());
    w.I16(t.GetCoupling());
    w.I16(t.GetProbe());
    w.I16(t.GetFilter());
    w.I32(t.IsInverted());
    w.I32(t.IsBandwidthLimit());
    w.F32(t.GetPosition());
    w.I16(t.GetInterpolation());
    w.I32(t.GetRecordLength());
    w.U32(t.GetColor());
}

void WriteMath(kv::LeWriter& w, const CMathChannel& m) {
    w.I32(m.IsOn());
    w.I16(m.GetVoltsPerDivIndex());
    w.I16(m.GetProbe());
    w.I16(m.GetSourceA());
    w.I16(m.GetSourceB());
    w.I16(m.GetOperation());
    w.I32(m.IsInverted());
    w.F32(m.GetPosition());
    w.I16(m.GetInterpolation());
    w.I32(m.GetRecordLength());
    w.U32(m.GetColor());
}

// REF, with its samples only when it holds a record that the buffer can supply.
void WriteRef(kv::LeWriter& w, const CRefChannel& ref) {
    const std::int32_t refLength = ref.GetRecordLength();
    const bool refSamples = ref.HasNoSamples() == 0 && ref.GetRawRecord() && refLength >= 1 &&
                            refLength <= ref.GetRecordCapacity();
    w.I32(ref.IsOn());
    w.I32(refSamples ? 0 : 1);
    w.F32(ref.GetPosition());
    w.F32(ref.GetPositionAtAcquisition());
    w.I16(ref.GetVoltsPerDivIndex());
    w.I16(ref.GetVoltsPerDivAtAcquisition());
    w.I32(refLength);
    w.I16(ref.GetTimeBaseIndex());
    w.I16(ref.GetHorizontalPosition());
    w.F32(ref.GetLoadedPosition());
    w.U32(ref.GetColor());
    if (refSamples) {
        const std::int16_t* raw = ref.GetRawRecord();
        for (std::int32_t i = 0; i < refLength; ++i)
            w.I16(raw[i]);
    }
}

void WriteTrigger(kv::LeWriter& w, const CTrigger& trig) {
    w.I16(trig.GetTriggerType());
    w.I16(trig.GetSweep());
    w.I16(trig.GetSource());
    w.I16(trig.GetSlope());
    for (int i = 0; i < CTrigger::kLevelCount; ++i)
        w.F32(trig.GetLevel(i));
    for (int i = 0; i < CTrigger::kLevelCount; ++i)
        w.F32(trig.GetLevelVolts(i));
    w.I32(trig.IsHfReject());
    for (int i = 0; i < CTrigger::kLevelCount; ++i)
        w.I16(trig.GetMarkerWord(i));
    w.F32(trig.GetDragValue());
    w.I32(trig.GetPulseWidth());
    w.I16(trig.GetPulseCondition());
}

// Time base; the horizontal position is kept to the screen's 0..500.
void WriteTimeBase(kv::LeWriter& w, const CScopeSettings& settings) {
    w.I16(settings.GetTimeBaseIndex());
    w.I16(settings.GetRecordLengthMode());
    w.I16(settings.GetTimeBaseFormat());
    w.I16(static_cast<std::int16_t>(
        std::clamp<int>(settings.GetHorizontalPosition(), 0, kMaxHorizontalPosition)));
    w.I16(settings.GetSamplingMode());
}

void WriteScreen(kv::LeWriter& w, const ScreenOptions& screen) {
    w.U16(screen.cursorSource);
    w.U16(screen.cursorMode);
    w.U16(screen.dotMode);
    w.I32(screen.gridOn);
    w.U16(screen.gridIntensity);
    w.U16(screen.waveformIntensity);
}

// Record store, then its frames when it holds a recording.
void WriteRecord(kv::LeWriter& w, const CRecordStore& record) {
    w.I32(record.m_bNoData);
    w.I16(record.m_nChannel);
    w.I16(record.m_nRecordEndFrame);
    w.I16(record.m_nRecordInterval);
    w.I16(record.m_nFramesRecorded);
    w.I16(record.m_nTimeBaseIndex);
    w.I16(record.m_nVoltsPerDivIndex);
    w.F32(record.m_fPosition);
    w.I16(record.m_nCoupling);
    w.I16(record.m_nProbe);
    w.I16(record.m_nRecordingFlagWord);
    w.I32(record.m_bPlaying);
    w.I16(record.m_nPlayStartFrame);
    w.I16(record.m_nHorizontalPosition);
    w.U32(record.m_nRecordingValue);
    w.I16(record.m_nPlayInterval);
    w.I16(record.m_nCurrentFrame);
    w.I16(record.m_nPlayEndFrame);
    w.I32(record.m_bRepeat);
    if (record.m_bNoData == 0) {
        for (int i = 0; i < kRecordSamples; ++i)
            w.I16(static_cast<std::size_t>(i) < record.m_frames.size()
                      ? record.m_frames[static_cast<std::size_t>(i)]
                      : std::int16_t{0});
    }
}

void WritePassFail(kv::LeWriter& w, const CPassFail& pf) {
    w.I16(pf.m_nHorizontalTolerance);
    w.I16(pf.m_nVerticalTolerance);
    for (std::uint64_t v : {pf.m_nFailed, pf.m_nPassed, pf.m_nTotal}) {
        w.U32(static_cast<std::uint32_t>(v));
        w.U32(static_cast<std::uint32_t>(v >> 32));
    }
    w.I16(pf.m_nOutput);
    w.I16(pf.m_nSource);
    w.I32(pf.m_bStop);
    for (std::int16_t v : pf.m_upper)
        w.I16(v);
    for (std::int16_t v : pf.m_lower)
        w.I16(v);
}

void WriteMeasure(kv::LeWriter& w, const CMeasure& measure) {
    w.I16(measure.GetCount());
    w.I16(measure.GetSource());
    for (int i = 0; i < kMeasureSlots; ++i) {
        const CMeasure::Entry& e = measure.GetEntry(i);
        w.I32(e.used);
        w.I16(e.source);
        w.I16(e.type);
    }
}

void WriteFft(kv::LeWriter& w, const CFftData& fft) {
    w.I32(fft.m_bFftOn);
    w.I16(fft.m_nSource);
    w.I16(fft.m_nWindow);
    w.I16(fft.m_nBins);
    w.I16(fft.m_nScale);
    w.F64(fft.m_dVerticalScale);
    w.I16(fft.m_nZoom);
}

// ---- Applying the fields: each one is checked and out-of-range values keep the current one ----

void ApplyChannel(CTrace& t, const ChannelFields& c, std::int32_t bufferSize) {
    t.SetOn(c.on);
    if (In(c.voltDiv, 0, kMaxVoltDiv))
        t.SetVoltsPerDivIndex(static_cast<std::int16_t>(c.voltDiv));
    if (In(c.coupling, 0, kMaxCoupling))
        t.SetCoupling(static_cast<std::int16_t>(c.coupling));
    if (In(c.probe, 0, kMaxProbe))
        t.SetProbe(static_cast<std::int16_t>(c.probe));
    if (In(c.filter, 0, kMaxFilter))
        t.SetFilter(static_cast<std::int16_t>(c.filter));
    t.SetInvert(c.invert);
    t.SetBandwidthLimit(c.bandwidth);
    if (Finite(c.position))
        t.SetPosition(c.position);
    if (In(c.interpolation, 0, kMaxInterpolation))
        t.SetInterpolation(static_cast<std::int16_t>(c.interpolation));
    // A length beyond the sample buffers would let the processing steps run past them.
    if (ValidChannelRecordLength(c.length, bufferSize))
        t.SetRecordLength(c.length);
    t.SetColor(static_cast<COLORREF>(c.color));
}

void ApplyMath(CMathChannel& m, const MathFields& f, std::int32_t bufferSize) {
    m.SetOn(f.on);
    if (In(f.voltDiv, 0, kMaxVoltDiv))
        m.SetVoltsPerDivIndex(static_cast<std::int16_t>(f.voltDiv));
    if (In(f.probe, 0, kMaxProbe))
        m.SetProbe(static_cast<std::int16_t>(f.probe));
    if (In(f.sourceA, 0, 1))
        m.SetSourceA(static_cast<std::int16_t>(f.sourceA));
    if (In(f.sourceB, 0, 1))
        m.SetSourceB(static_cast<std::int16_t>(f.sourceB));
    if (In(f.operation, 0, 3))
        m.SetOperation(static_cast<std::int16_t>(f.operation));
    m.SetInvert(f.invert);
    if (Finite(f.position))
        m.SetPosition(f.position);
    if (In(f.interpolation, 0, kMaxInterpolation))
        m.SetInterpolation(static_cast<std::int16_t>(f.interpolation));
    if (ValidChannelRecordLength(f.length, bufferSize))
        m.SetRecordLength(f.length);
    m.SetColor(static_cast<COLORREF>(f.color));
}

void ApplyRef(CRefChannel& ref, const RefFields& f, bool samplesTrusted) {
    ref.SetOn(f.on);
    if (Finite(f.position))
        ref.SetPosition(f.position);
    if (Finite(f.positionAtAcquisition))
        ref.SetPositionAtAcquisition(f.positionAtAcquisition);
    if (In(f.voltDiv, 0, kMaxVoltDiv))
        ref.SetVoltsPerDivIndex(static_cast<std::int16_t>(f.voltDiv));
    if (In(f.voltDivAtAcquisition, 0, kMaxVoltDiv))
        ref.SetVoltsPerDivAtAcquisition(static_cast<std::int16_t>(f.voltDivAtAcquisition));
    if (f.lengthValid)
        ref.SetRecordLength(f.length);
    if (In(f.timeBase, 0, kMaxTimeBase))
        ref.SetTimeBaseIndex(static_cast<std::int16_t>(f.timeBase));
    if (In(f.horizontalPosition, 0, kMaxHorizontalPosition))
        ref.SetHorizontalPosition(static_cast<std::int16_t>(f.horizontalPosition));
    if (Finite(f.loadedPosition))
        ref.SetLoadedPosition(f.loadedPosition);
    ref.SetColor(static_cast<COLORREF>(f.color));
    std::int16_t* raw = ref.GetRawRecord();
    if (samplesTrusted && f.noSamples == 0 && raw && !f.samples.empty() &&
        f.samples.size() <= static_cast<std::size_t>(ref.GetRecordCapacity())) {
        std::copy(f.samples.begin(), f.samples.end(), raw);
        ref.SetNoSamples(0);
    } else {
        ref.SetNoSamples(1);
    }
}

void ApplyTrigger(CTrigger& trig, const TriggerFields& t) {
    trig.SetTriggerType(static_cast<std::int16_t>(t.type));
    trig.SetSweep(static_cast<std::int16_t>(t.sweep));
    trig.SetSource(static_cast<std::int16_t>(t.source));
    trig.SetSlope(static_cast<std::int16_t>(t.slope));
    for (int i = 0; i < CTrigger::kLevelCount; ++i) {
        if (Finite(t.level[i]))
            trig.SetLevel(i, t.level[i]);
        if (Finite(t.volts[i]))
            trig.SetLevelVolts(i, t.volts[i]);
    }
    trig.SetHfReject(t.hfReject);
    for (int i = 0; i < CTrigger::kLevelCount; ++i)
        trig.SetMarkerWord(i, t.marker[i]);
    if (Finite(t.dragValue))
        trig.SetDragValue(t.dragValue);
    trig.SetPulseWidth(t.pulseWidth);
    trig.SetPulseCondition(static_cast<std::int16_t>(t.pulseCondition));
}

void ApplyScreen(IDocUi& ui, const ScreenFields& s) {
    ScreenOptions o;
    // Without a screen panel the block is read and dropped.
    if (!ui.GetScreenOptions(o))
        return;
    if (s.cursorSource == 0 || s.cursorSource == 1 || s.cursorSource == 2 || s.cursorSource == 6)
        o.cursorSource = static_cast<std::uint16_t>(s.cursorSource);
    if (In(s.cursorMode, 0, 4))
        o.cursorMode = static_cast<std::uint16_t>(s.cursorMode);
    o.dotMode = static_cast<std::uint16_t>(s.dotMode);
    o.gridOn = s.gridOn;
    o.gridIntensity = static_cast<std::uint16_t>(std::clamp(s.gridIntensity, 0, 255));
    o.waveformIntensity = static_cast<std::uint16_t>(std::clamp(s.waveformIntensity, 0, 255));
    ui.SetScreenOptions(o);
}

void ApplyRecord(CRecordStore& store, const RecordFields& f) {
    store.m_bNoData = f.noData;
    store.m_nChannel = static_cast<std::int16_t>(std::clamp(f.channel, 0, 1));
    auto frameCount = [](int v) {
        return static_cast<std::int16_t>(std::clamp(v, 0, CRecordStore::kMaxFrames));
    };
    auto interval = [](int v) {
        return static_cast<std::int16_t>(std::clamp(v, 1, CRecordStore::kMaxInterval));
    };
    // Frame counts above 1000 would make the ".rec" writer and play-back read past the frames.
    store.m_nRecordEndFrame = frameCount(f.endFrame);
    store.m_nRecordInterval = interval(f.recordInterval);
    store.m_nFramesRecorded = frameCount(f.framesRecorded);
    store.m_nTimeBaseIndex = static_cast<std::int16_t>(std::clamp(f.timeBase, 0, kMaxTimeBase));
    store.m_nVoltsPerDivIndex = static_cast<std::int16_t>(std::clamp(f.voltDiv, 0, kMaxVoltDiv));
    if (Finite(f.position))
        store.m_fPosition = f.position;
    store.m_nCoupling = static_cast<std::int16_t>(std::clamp(f.coupling, 0, kMaxCoupling));
    store.m_nProbe = static_cast<std::int16_t>(std::clamp(f.probe, 0, kMaxProbe));
    store.m_nRecordingFlagWord = static_cast<std::int16_t>(std::clamp(f.flagWord, 0, 1));
    store.m_bPlaying = f.playing;
    store.m_nPlayStartFrame = frameCount(f.playStart);
    store.m_nHorizontalPosition =
        static_cast<std::int16_t>(std::clamp(f.horizontalPosition, 0, kMaxHorizontalPosition));
    store.m_nRecordingValue = f.recordingValue;
    store.m_nPlayInterval = interval(f.playInterval);
    store.m_nCurrentFrame = frameCount(f.currentFrame);
    store.m_nPlayEndFrame = frameCount(f.playEnd);
    store.m_bRepeat = f.repeat;
    if (f.noData == 0 && f.frames.size() == static_cast<std::size_t>(kRecordSamples)) {
        store.m_frames.assign(f.frames.begin(), f.frames.end());
    }
}

void ApplyPassFail(CPassFail& pf, const PassFailFields& p) {
    pf.m_nHorizontalTolerance =
        static_cast<std::int16_t>(std::clamp(p.horizontalTolerance, 1, CPassFail::kMaxHorizontalTolerance));
    pf.m_nVerticalTolerance =
        static_cast<std::int16_t>(std::clamp(p.verticalTolerance, 1, CPassFail::kMaxVerticalTolerance));
    pf.m_nFailed = p.failed;
    pf.m_nPassed = p.passed;
    pf.m_nTotal = p.total;
    pf.m_nOutput = static_cast<std::int16_t>(std::clamp(p.output, 0, 3));
    pf.m_nSource = static_cast<std::int16_t>(std::clamp(p.source, 0, 1));
    pf.m_bStop = std::clamp(p.stop, 0, 1);
    std::copy(std::begin(p.upper), std::end(p.upper), pf.m_upper.begin());
    std::copy(std::begin(p.lower), std::end(p.lower), pf.m_lower.begin());
}

void ApplyMeasure(CMeasure& measure, const MeasureFields& m) {
    // A count above 8 or an entry source outside 0..2 would index past the measurement arrays.
    if (In(m.count, 0, kMeasureSlots))
        measure.SetCount(static_cast<short>(m.count));
    if (In(m.source, 0, CMeasure::kSources - 1))
        measure.SetSource(static_cast<short>(m.source));
    for (int i = 0; i < kMeasureSlots; ++i) {
        const CMeasure::Entry& e = m.entries[i];
        if (In(e.source, 0, CMeasure::kSources - 1) && In(e.type, 0, CMeasure::kTypes - 1))
            measure.SetEntry(i, e.used, e.source, e.type);
        else
            measure.SetEntry(i, 0, 0, 0);
    }
}

void ApplyFft(CFftData& fft, const FftFields& f) {
    CFftData defaults;
    defaults.ResetFftSettings();
    fft.m_bFftOn = f.on;
    fft.m_nSource = In(f.source, 0, 1) ? static_cast<std::int16_t>(f.source) : defaults.m_nSource;
    fft.m_nWindow = In(f.window, 0, 3) ? static_cast<std::int16_t>(f.window) : defaults.m_nWindow;
    // The bin count sizes the spectrum arrays; anything else would overrun them.
    fft.m_nBins = CFftData::IsValidBinCount(f.bins) ? static_cast<std::int16_t>(f.bins) : defaults.m_nBins;
    fft.m_nScale = In(f.scale, 0, 1) ? static_cast<std::int16_t>(f.scale) : defaults.m_nScale;
    fft.m_dVerticalScale =
        std::isfinite(f.verticalScale) && f.verticalScale > 0.0 ? f.verticalScale : defaults.m_dVerticalScale;
    const bool zoomOk = f.zoom == 1 || f.zoom == 2 || f.zoom == 4 || f.zoom == 8 || f.zoom == 16;
    fft.m_nZoom = zoomOk ? static_cast<std::int16_t>(f.zoom) : defaults.m_nZoom;
}

} // namespace

int CKelvaneDoc::SaveSetupFile(const char* path, bool userChosen) {
    if (!path)
        return 0;
    if (IsDemoMode() && userChosen) {
        // A demo session keeps the instrument settings of every setup file as they are; a
        // person who chose a file is told so rather than left believing it was written.
        kv::ShowDocMessage(*this,
                           "Cann't save file: " + std::string(path) +
                               ": setups are not saved in demo mode (no instrument); nothing was written");
        return 0;
    }
    return WriteSetupFile(path, BuildSetupFile());
}

std::vector<std::uint8_t> CKelvaneDoc::BuildSetupFile() {
    kv::LeWriter w;
    WriteHeader(w, m_nModel, m_nLanguage);
    // A demo session only refreshes the header of an existing file and keeps the instrument
    // settings stored after it.
    if (IsDemoMode())
        return w.Data();

    WriteChannel(w, m_ch1);
    WriteChannel(w, m_ch2);
    WriteMath(w, m_math);
    WriteRef(w, m_ref);
    WriteTrigger(w, m_trigger);
    WriteTimeBase(w, m_settings);
    // Screen panel options (the panel's defaults when there is no view).
    ScreenOptions screen = kv::DefaultScreenOptions();
    ScreenOptions current;
    if (Ui().GetScreenOptions(current))
        screen = current;
    WriteScreen(w, screen);
    // Acquisition display.
    w.I16(GetPersistenceDepth());
    w.I32(IsPersistenceEnabled());
    w.I16(m_average.GetAcquireMode());
    w.I16(m_average.GetFramesWanted());
    w.I16(m_nSaveChannel);
    WriteRecord(w, m_record);
    WritePassFail(w, m_passFail);
    WriteMeasure(w, m_measure);
    WriteFft(w, m_fft);
    return w.Data();
}

int CKelvaneDoc::WriteSetupFile(const char* path, const std::vector<std::uint8_t>& bytes, CString* error) {
    if (!path)
        return 0;
    CString message;
    if (IsDemoMode()) {
        // Only the header is refreshed; there is nothing to refresh in a new file.
        kv::FileError why;
        if (kv::OverwriteFileStart(path, bytes.data(), bytes.size(), &why))
            return 1;
        if (why.kind == kv::FileError::Kind::System && why.systemError == ENOENT)
            return 0;
        message = CString("Cann't save file: " + kv::FileErrorText(path, why));
    } else {
        // The whole file goes to a temporary file first: a failed save keeps the previous one.
        if (kv::SaveWholeFile(path, bytes.data(), bytes.size(), &message))
            return 1;
    }
    if (error)
        *error = message;
    else
        kv::ShowDocMessage(*this, message.GetString());
    return 0;
}

int CKelvaneDoc::LoadSetupFile(const char* path, bool tellProblems) {
    if (!path || kv::ExtensionOf4(path) != ".set") {
        kv::ShowDocMessage(*this, "This is not a setup file!");
        return 0;
    }
    // A refusal is told only when the user chose the file: at start-up a missing or foreign
    // "Default.set" simply leaves the defaults.
    const auto refuse = [&](const std::string& reason) {
        if (tellProblems)
            kv::ShowDocMessage(*this, "Can not open file: " + std::string(path) + ": " + reason);
        return 0;
    };
    std::vector<std::uint8_t> bytes;
    kv::FileError error;
    if (!kv::ReadWholeFile(path, bytes, kv::kMaxSetupFileBytes, &error))
        return refuse(error.Text());
    kv::LeReader r(bytes);
    if (!MagicMatches(r))
        return refuse("this is not a setup file");
    // A setup written with one instrument model never loads into another.
    if (r.I16() != m_nModel || !r.Ok())
        return refuse(r.Ok() ? "the settings are for another instrument model"
                             : "the file ends early, in its header");
    SetupFields f;
    f.language = r.I32();
    if (!r.Ok())
        return refuse("the file ends early, in its header");
    if (IsDemoMode()) {
        m_nLanguage = m_language.NormalizeIndex(f.language);
        return 1;
    }
    // Everything is read before anything is applied: a file that ends early changes nothing.
    // Such a file is not a setup that anyone saved (saves replace the file in one step), and a
    // part of it mixed with the current settings would be none either.
    if (const char* block = ReadBody(r, f, m_ref.GetRecordCapacity()))
        return refuse(std::string("the file ends early, in the ") + block + " settings");

    // A negative or unknown index would select a language file that does not exist.
    m_nLanguage = m_language.NormalizeIndex(f.language);
    const std::int32_t bufferSize = GetSampleBufferSize();
    ApplyChannel(m_ch1, f.ch[0], bufferSize);
    ApplyChannel(m_ch2, f.ch[1], bufferSize);
    ApplyMath(m_math, f.math, bufferSize);
    ApplyRef(m_ref, f.ref, f.end == ReadEnd::Complete);

    if (f.end == ReadEnd::Complete) {
        ApplyTrigger(m_trigger, f.trigger);
        const TimeBaseFields& t = f.timeBase;
        m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(t.index));
        // A record-length code whose length exceeds the sample buffers would let the instrument
        // and the copy steps write past them: such a code keeps the current mode and lengths.
        if (IsRecordLengthCodeUsable(static_cast<std::int16_t>(t.recordLengthMode))) {
            m_settings.SetRecordLengthMode(static_cast<std::int16_t>(t.recordLengthMode));
            if (t.recordLengthMode != kRecordLength10K)
                SetRecordLength(static_cast<std::int16_t>(t.recordLengthMode));
        }
        m_settings.SetTimeBaseFormat(static_cast<std::int16_t>(t.format));
        m_settings.SetHorizontalPosition(
            static_cast<std::int16_t>(std::clamp(t.horizontalPosition, 0, kMaxHorizontalPosition)));
        if (In(t.samplingMode, 0, 1))
            m_settings.SetSamplingMode(static_cast<std::int16_t>(t.samplingMode));

        ApplyScreen(Ui(), f.screen);

        const AcquisitionFields& a = f.acquisition;
        if (In(a.persistenceDepth, 0, CPersistence::kMaxDepth))
            SetPersistenceDepth(static_cast<std::int16_t>(a.persistenceDepth));
        SetPersistenceEnabled(a.persistenceOn);
        if (In(a.acquireMode, 0, 2))
            m_average.SetAcquireMode(static_cast<short>(a.acquireMode));
        // Zero frames would divide by zero, more than 128 would write past the rings.
        if (In(a.framesToAverage, 1, CAverageBuffer::kMaxFrames))
            m_average.SetFramesWanted(static_cast<short>(a.framesToAverage));
        m_nSaveChannel = static_cast<std::int16_t>(a.saveChannel);

        ApplyRecord(m_record, f.record);
        ApplyPassFail(m_passFail, f.passFail);
        ApplyMeasure(m_measure, f.measure);
        ApplyFft(m_fft, f.fft);
    }

    // Slow time bases run in Roll, fast ones never do.
    const int index = m_settings.GetTimeBaseIndex();
    const int format = m_settings.GetTimeBaseFormat();
    if (index < kFirstSlowTimeBase && format == kFormatRoll)
        m_settings.SetTimeBaseFormat(kFormatYT);
    else if (index >= kFirstSlowTimeBase && format != kFormatRoll &&
             m_settings.GetRecordLengthMode() == kRecordLength10K)
        m_settings.SetTimeBaseFormat(kFormatRoll);

    ApplySettingsToDevice();
    // The level readouts stored in the file are taken again from its levels, positions and
    // volts/div, so a value that was stale when the file was written does not come back.
    Ui().RecomputeTriggerLevelReadout();
    return 1;
}
