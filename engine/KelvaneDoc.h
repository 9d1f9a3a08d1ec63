#pragma once
// The single document of the oscilloscope program: it owns every engine object (traces,
// horizontal and trigger settings, measurements, record store, pass/fail mask, FFT data,
// instrument access, averaging, language table, persistence histories) and the flags that
// the windows, the view and the dialogs test.
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/AverageBuffer.h"
#include "engine/DemoSource.h"
#include "engine/DocUi.h"
#include "engine/FftData.h"
#include "engine/LanguageTable.h"
#include "engine/MathRefChannel.h"
#include "engine/Measure.h"
#include "engine/PassFail.h"
#include "engine/Persistence.h"
#include "engine/RecordStore.h"
#include "engine/ScopeSettings.h"
#include "engine/Trace.h"
#include "engine/Trigger.h"
#include "engine/UsbDevice.h"
#include "engine/ViewlessDocUi.h"
#include "framework/CString.h"
#include "framework/Document.h"

class CKelvaneDoc : public CDocument {
public:
    static constexpr std::int16_t kDefaultModel = 4;
    static constexpr std::int32_t kMinSampleBuffer = 65535;
    // Auto-setup and zero-calibration state while no step is pending.
    static constexpr std::int32_t kIdle = -1;
    // Run status (m_nRunStatus) as the status strip shows it.
    static constexpr std::int16_t kRunStatusStop = 0;
    static constexpr std::int16_t kRunStatusRun = 1;
    static constexpr std::int16_t kRunStatusTriggered = 2; // "Trig'D"
    static constexpr std::int16_t kRunStatusAuto = 3;
    static constexpr std::int16_t kRunStatusWait = 4;
    static constexpr std::int16_t kRunStatusPlay = 5;

    CKelvaneDoc();
    ~CKelvaneDoc() override;
    CKelvaneDoc(const CKelvaneDoc&) = delete;
    CKelvaneDoc& operator=(const CKelvaneDoc&) = delete;

    BOOL OnNewDocument() override;
    // Files are written by the document's own readers and writers, never through the framework.
    void Serialize() {}

    // The user interface the engine reports to. Null detaches the view: the document then
    // talks to its own stand-in, so Ui() and GetUi() always answer.
    void SetUi(IDocUi* ui) { m_pUi = ui ? ui : &m_viewless; }
    IDocUi& Ui() const { return *m_pUi; }
    IDocUi* GetUi() const { return m_pUi; }

    // --- Life cycle ----------------------------------------------------------------------
    // Every default of the settings model; sends nothing to the instrument.
    void SetDefaultSettings();
    // Raw and work records of CH1, CH2 and REF, each max(maximum record length, 65535)
    // samples, cleared; screen traces of CH1, CH2 and MATH cleared. Returns 0.
    int AllocSampleBuffers();
    // Sends the whole set-up to the instrument in its fixed order. Returns 1.
    int ApplySettingsToDevice();

    // --- Record length ---------------------------------------------------------------------
    // Stores the code in the device state block (outside 1..6 as 0), the length in CH1, CH2
    // and MATH, and sends trigger and sample rate (also in demo mode).
    void SetRecordLength(std::int16_t code);
    // A record length chosen for the capture: the settings keep the code (a code outside 0..6
    // leaves them as they were), then SetRecordLength stores and sends it.
    void ChooseRecordLength(std::int16_t code);
    // True when the code's length fits the allocated sample buffers. A setup file may only
    // bring in a code that passes this.
    bool IsRecordLengthCodeUsable(std::int16_t code) const;
    // Samples each raw and work record holds (0 before AllocSampleBuffers).
    std::int32_t GetSampleBufferSize() const { return m_nSampleBufferSize; }

    // --- Setters that the full set-up goes through ------------------------------------------
    void SetCh1VoltDiv(std::int16_t index); // 0..9; any other index is refused
    void SetCh2VoltDiv(std::int16_t index);
    void SetTimeBaseIndex(std::int16_t index); // 0..38, no restart
    void SendFilterSettings();
    void SetEtsSampling();
    void SetRealTimeSampling();
    void ApplyChannelEnable();
    void SwapAlternateTriggerSource();
    void RestartCapture();
    void ReadEtsValue();
    // The device call group "trigger and sample rate" with the current settings.
    void SendTriggerAndSampleRate();

    // ==== Settings setters and the ETS calibration value (bodies in KelvaneDocSetters.cpp and
    // KelvaneDocEts.cpp) ====
    // Each setter stores the value, sends the affected part of the set-up unless in demo mode
    // (the time-base steps and the trigger mode are sent in demo mode too) and restarts the
    // capture. Level-block words are kept within 0..511; the stored floats stay as given.
    void SetCh1Coupling(std::int16_t coupling); // 0 DC, 1 AC, 2 GND
    void SetCh2Coupling(std::int16_t coupling);
    void SetCh1Position(float position); // screen codes
    void SetCh2Position(float position);
    // MATH and REF are computed and kept by the program: their positions (screen codes) only
    // move the traces on the screen, nothing is sent and the capture goes on.
    void SetMathPosition(float position);
    void SetRefPosition(float position);
    void SetCh1TriggerLevel(float level);
    void SetCh2TriggerLevel(float level);
    void SetExtTriggerLevel(float level);
    void SetHorizontalPosition(std::int16_t position); // 0..500, sent as position / 5 (0..100)
    void DecrementTimeBase();                          // one step faster, stops at 0
    void IncrementTimeBase();                          // one step slower, stops at the last step
    void SetTriggerMode(std::int16_t mode);            // 0 Edge, 1 Pulse
    void SetTriggerSource(std::int16_t source);        // 0 CH1, 1 CH2, 2 ALT, 3 EXT, 4 EXT/10
    // A trigger source chosen by the user, the same from the menu and the side panel: the drag
    // value cleared, the ALT flag set for ALT only, CH1 or CH2 with its level on its zero line,
    // EXT and EXT/10 with the external level at 128, ALT with both levels kept; then the source
    // setter, the pointers and level readout recomputed and the channel mode applied. False,
    // with nothing changed, for the current source, a code outside 0..4, or ALT under ETS; the
    // caller then puts its list back on the stored source.
    bool ChooseTriggerSource(std::int16_t source);
    void SetTriggerSlope(std::int16_t slope); // 0 rising, 1 falling
    void SetPulseCondition(std::int16_t condition);
    void SetHorizontalFormat(std::int16_t format); // 0 Y-T, 1 Roll, 2 X-Y; no device call
    // One pass of the ETS calibration: moves the ETS calibration value towards a counter
    // reading of 1800. Returns 1 once converged, else 0.
    int EtsCalibrationStep();
    // The end of a converged ETS calibration: writes the calibration data, then the value, to
    // the instrument and reads the ETS value back.
    void StoreEtsCalibration();
    // ==== End of the settings setters ====

    // --- Model, persistence, flags ------------------------------------------------------------
    CString GetModelName() const;
    std::int16_t GetModel() const { return m_nModel; }
    void SetPersistenceEnabled(std::int32_t on);
    std::int32_t IsPersistenceEnabled() const { return m_persistence.IsEnabled(); }
    // Depth 0..16; any other value stores 0. Empties the histories.
    void SetPersistenceDepth(std::int16_t depth);
    std::int16_t GetPersistenceDepth() const { return m_persistence.GetDepth(); }
    // The timer's blink counter: advances only while the status is AUTO (3) or WAIT (4).
    void AdvanceStatusTick();

    // --- Run state ------------------------------------------------------------------------------
    // Starts (running true) or stops acquisition: the run flag and the run status together.
    void SetRunState(bool running, std::int16_t status);
    // The run status alone, while the run flag stays (the acquisition cycle, the record player).
    void SetRunStatus(std::int16_t status) { m_nRunStatus = status; }

    // Demo mode: set once when the user runs without an instrument; the setters then skip
    // their device calls except those that are sent in demo mode too.
    std::int32_t IsDemoMode() const { return m_bDemoMode; }
    void SetDemoMode(std::int32_t demo) { m_bDemoMode = demo; }

    // --- Instrument commands of the panels and dialogs ------------------------------------------
    // Forces the capture under way to complete and ends a pretrigger wait.
    void ForceTrigger();
    // One of the four line-calibration words (0..3): a changed word goes to the instrument with
    // the other three. False, with nothing sent, for the same level or a word outside 0..3.
    bool SetLineCalibrationWord(int word, std::int16_t level);
    // The ETS limits: kept in the settings and written to the instrument as one pair.
    void SetEtsCalibrationLimits(std::int16_t max, std::int16_t min);
    // Gives the instrument at a device index (slot) a new address and, when it takes it, reads
    // the address back. Returns the instrument's answer (0 refused).
    int ChangeDeviceAddress(std::int16_t slot, std::int16_t address);
    // The instrument (0..3) the program talks to from now on; false, keeping the current one,
    // for any other slot.
    bool SelectDevice(std::int16_t slot);

    // --- Language -------------------------------------------------------------------------------
    // Stores the index (anything outside -1 .. count - 1 becomes -1), loads that language and
    // re-applies it to the menus and panels.
    void SelectLanguage(int index);
    int GetLanguageIndex() const { return m_nLanguage; }
    CString GetText(int id) const { return m_language.GetText(id); }
    void OnLanguageDefault() { SelectLanguage(CLanguageTable::kBuiltin); }
    void OnUpdateLanguageDefault(CCmdUI* pCmdUI) const;

    // ==== Setup, reference and waveform files (bodies in SetupFile.cpp and WaveformFiles.cpp) ====
    // Every reader and writer returns 1 on success and 0 on failure; messages go to the view.
    // In demo mode the close-time save of "Default.set" only refreshes the header of an existing
    // file (model and language) and creates none; a file the user chose (`userChosen`) is not
    // written at all in demo mode, and a message says so.
    int SaveSetupFile(const char* path, bool userChosen = false);
    // SaveSetupFile in two steps: the bytes it would write now (in demo mode only the header it
    // refreshes), and their writing. With `error`, a failure is described there instead of shown.
    std::vector<std::uint8_t> BuildSetupFile();
    int WriteSetupFile(const char* path, const std::vector<std::uint8_t>& bytes, CString* error = nullptr);
    // A file the user chose (`tellProblems`) that cannot be used is named in a message saying what
    // is wrong with it; the start-up load of "Default.set" passes false and stays silent. A
    // refused file changes nothing.
    int LoadSetupFile(const char* path, bool tellProblems = false);
    int SaveReferenceFile(const char* path);    // ".rfc" of the save channel
    int LoadReferenceFile(const char* path);    // ".rfc" into REF
    int LoadOldReferenceFile(const char* path); // old text ".ref" into REF
    int SaveCsvFile(const char* path);          // ".csv" of the save channel
    int LoadCsvFile(const char* path);          // ".csv" into CH1
    int SaveWaveformText(const char* path);     // ".txt" of CH1 and CH2
    int SaveWaveformDoc(const char* path);      // ".doc": 500 screen points per channel
    int SaveWaveformXls(const char* path);      // ".xls": the ".doc" content
    // Screen image: the view passes the bitmap it captured (null when the capture gave none).
    int SaveImageFile(const char* path, const class CScreenImage* image);
    // ==== End of the file readers and writers ====

    // One spectrum of the FFT source channel into m_fft (the pump calls it while the FFT is on).
    // Returns 1 when a spectrum was computed, 0 when the source gave nothing to transform.
    int ComputeFft();
    // Writes the spectrum as text; a failure shows its message and returns 0.
    int SaveFftToText(const char* path);

    // ==== Auto-setup and zero calibration (bodies in KelvaneDocAutoSetup.cpp and
    // KelvaneDocZeroCal.cpp) ====
    // Auto-setup: the timer pump calls AutoSetupStep on every tick while the state is 0..3 and
    // FinishAutoSetup when it reaches 4. Each returns 1.
    int StartAutoSetup();
    int AutoSetupStep();
    int FinishAutoSetup();
    std::int32_t GetAutoSetupState() const { return m_nAutoSetupState; }
    // One blocking capture (at most 80 polls 10 ms apart) and its processing.
    void CaptureOnce();
    // Channel 0/1 shows between 60 and 140 codes peak-to-peak: 1 accepted, 0 rejected.
    int CheckAmplitude(int channel);
    // One probe of the time-base search on channel 0/1: 0 go on, 1 found, 3 ended unmatched.
    int TimeBaseSearch(int channel);

    // Zero calibration: the timer pump calls CalibrationStep on every tick while calibrating.
    void SetCalibrationChannels(int ch1, int ch2);
    // 1 when started; 0 (state -1, nothing will be written) when the table could not be read.
    int StartCalibration();
    void CalibrationStep();
    // 1, or 0 when a finished calibration could not write its table to the instrument.
    int StopCalibration();
    std::int32_t GetCalibrationState() const { return m_nCalibrationState; }
    bool IsCalibrating() const { return m_nCalibrationState != kIdle; }
    // Set when the last finished calibration failed to write its table; cleared by the start.
    std::int32_t IsCalibrationWriteFailed() const { return m_bCalibrationWriteFailed; }
    std::int32_t m_bCalibrationWriteFailed = 0;
    // On states of CH1 and CH2 before the zero calibration, restored by its stop.
    std::int32_t m_bCalSavedCh1On = 0;
    std::int32_t m_bCalSavedCh2On = 0;
    // ==== End of auto-setup and zero calibration ====

    // --- Owned objects and fields, in object order ----------------------------------------------
    std::int16_t m_nModel = 0;
    CTrace m_ch1;
    CTrace m_ch2;
    CMathChannel m_math;
    CRefChannel m_ref;
    CScopeSettings m_settings;
    CTrigger m_trigger;
    CMeasure m_measure;
    CRecordStore m_record;
    CPassFail m_passFail;
    CFftData m_fft;
    CUsbDevice m_usb;
    CAverageBuffer m_average;
    // ==== Acquisition cycle and demo source (bodies in KelvaneDocAcquire.cpp) ====
    // One step of the 32 ms timer: demo, real-time, equivalent-time or Roll road.
    void AcquireTick();
    // Arm, poll the capture state once, read when ready and restart (instrument, Y-T and X-Y).
    void PollAndReadInstrument();
    // The demo counterpart: simulated trigger test, records from the demo source.
    void PollDemoCapture();
    // Equivalent-time read and its processing.
    void EtsCapture();
    // Roll-format reads, paced by the time base.
    void RollReadInstrument();
    void RollReadDemo();
    // Processing order of the roads: Y-T instrument, Y-T demo, Roll.
    void ProcessCapturedTraces();
    void ProcessDemoTraces();
    void PostProcessTraces();
    // Ends the demo's pre-trigger wait once its time has passed.
    void PretriggerWaitCheck();
    // Generator parameters from the channel, time-base and trigger settings.
    void UpdateDemoParameters();
    // Demo samples into the CH1 and CH2 raw records (one point in Roll format, else records).
    void GenerateDemoData();
    // Persistence of trace 0..3 (CH1, CH2, MATH, REF): append its screen trace / records held.
    void AppendPersistence(int trace);
    std::int16_t GetPersistenceCount(short trace) const { return m_persistence.GetCount(trace); }
    // Interval clock in milliseconds. It only serves differences, taken modulo 2^32, so a
    // wait never stalls when the clock wraps. Monotonic unless a test injects another one.
    std::uint32_t GetMsOfDay() const;
    void SetIntervalClock(std::function<std::uint32_t()> clock) { m_clock = std::move(clock); }
    // Normal-sweep idle counter: polls without a trigger since the last capture.
    std::int16_t m_nNormalWaitCounter = 0;
    CDemoSource m_demo;
    std::function<std::uint32_t()> m_clock;
    // ==== End of the acquisition cycle ====
    std::int32_t m_bRunning = 0;
    std::int32_t m_bZoomOut = 0;
    std::int32_t m_bZoomIn = 0;
    std::int32_t m_bDrag = 0;
    std::int32_t m_bRollNewPoints = 0;
    std::int16_t m_nSaveChannel = 0;
    std::int16_t m_nRunStatus = 0;
    std::int16_t m_nStatusTick = 0;
    std::int16_t m_nAltPhase = 0;
    std::int32_t m_nLastRollTime = 0;
    std::int32_t m_nLanguage = -1;
    std::int32_t m_bPretriggerWait = 0;
    std::int32_t m_nPretriggerStart = 0;
    std::int32_t m_bAutoForced = 0;
    std::int32_t m_bCh1NoSignal = 0;
    std::int32_t m_bCh2NoSignal = 0;
    CString m_strPulseWidth;
    std::int32_t m_nCalibrationState = kIdle;
    // Zero-calibration working fields: entry index, working copy of the calibration table with
    // its two level-range words, sub-step, channels to calibrate, last mean.
    std::int32_t m_nCalibrationEntry = 0;
    std::int16_t m_calibrationWork[kv::kCalibrationBlockWords] = {};
    std::int32_t m_nCalibrationSubStep = 0;
    std::int32_t m_nCalibrationChannels[2] = {0, 1};
    double m_dCalibrationMean = 0.0;
    std::int32_t m_nAutoSetupState = kIdle;
    // Auto-setup working fields (the progress window is the user interface's).
    std::int32_t m_nAutoCandidate = 0;
    std::int32_t m_nAutoResult = 0;
    std::int32_t m_bSavedCh1On = 0;
    std::int32_t m_bSavedCh2On = 0;
    std::int32_t m_bCh1Found = 0;
    std::int32_t m_bCh2Found = 0;
    std::int32_t m_nSearchLow = 0;
    std::int32_t m_nSearchHigh = 0;
    std::int32_t m_nSettleCount = 0;
    CLanguageTable m_language;
    // Persistence histories of CH1, CH2, MATH and REF with their depth and on/off flag.
    CPersistence m_persistence;

private:
    CViewlessDocUi m_viewless{*this};
    IDocUi* m_pUi = &m_viewless;
    std::int32_t m_bDemoMode = 0;
    std::int32_t m_nSampleBufferSize = 0;
};
