#pragma once
// The program's only road to the instrument: one method per instrument-library ordinal
// (one method calls three), the device state block and level block that several ordinals
// read, and the settings-sent flag of the timer pump. Every call goes to the current
// instrument access (zendral/ZendralRegistry.h).
#include <cstdint>

#include "zendral/Zendral.h"

class CUsbDevice {
public:
    static constexpr int kMaxDevices = 4;
    static constexpr int kStateWords = kv::kStateBlockWords;
    static constexpr int kLevelWords = kv::kLevelBlockWords;
    static constexpr int kAdjustmentWords = kv::kAdjustmentWords;
    static constexpr int kCalibrationEntries = kv::kCalibrationEntries;

    CUsbDevice();
    virtual ~CUsbDevice();

    // --- Device search and choice --------------------------------------------------
    // Ordinal 8 for index 0..3, ordinal 20 for each index found; returns the count.
    std::int16_t ScanDevices();
    // Ordinal 20 for `index` (0..3); an index outside that range calls nothing and returns 0.
    int ReadDeviceAddress(std::int16_t index);
    // Ordinal 21 with the caller's two arguments (no device index).
    int SetDeviceAddress(std::int16_t a, std::int16_t b);
    // Ordinal 8 on the current index: 1 present, 0 absent.
    int IsDevicePresent();

    std::int16_t GetDeviceCount() const { return m_nDeviceCount; }
    std::int32_t IsPresent(int index) const;
    std::int16_t GetAddress(int index) const;
    std::int16_t GetDeviceIndex() const { return m_nDeviceIndex; }
    // Stores 0..3 and returns true; any other index is refused and the current one kept.
    bool SetDeviceIndex(std::int16_t index);

    // --- Calibration tables ------------------------------------------------------------
    // Ordinal 9: table[i] := min(high, 50) x 256 + low for the first 40 pairs; 0 and table
    // untouched when the read fails.
    int ReadCalibration(std::int16_t* table);
    // Ordinal 10: pair i := (table[i] >> 8, table[i] & 0xFF); 1 on success.
    int WriteCalibration(const std::uint16_t* table);
    // Ordinal 14 into the adjustment words (0x1FF reads as 0); 0 and words untouched on failure.
    int ReadLineCalData();
    // Ordinal 15 from the adjustment words.
    int WriteLineCalData();

    // --- Front end and capture ---------------------------------------------------------
    // Ordinals 3, 33, 34. A null state block means the device's own.
    int SetTriggerAndSampleRate(std::int16_t slope, std::int32_t etsFlag, std::int16_t* stateBlock,
                                std::int32_t triggerType, std::int16_t pulseCondition,
                                std::int32_t pulseWidth);
    // Ordinal 4. A null state block means the device's own.
    int SetVoltageAndCoupling(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv, std::int16_t ch1Coupling,
                              std::int16_t ch2Coupling, std::int16_t* stateBlock);
    // Ordinal 5 with the device's own level block, whatever `levelBlock` points at;
    // `calibration` is the 42-word calibration block.
    int SetOffset(const std::int16_t* levelBlock, std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv,
                  std::int16_t activeSource, std::int16_t* calibration);
    int CaptureStart();   // ordinal 6
    int TriggerEnabled(); // ordinal 7
    int ForceTrigger();   // ordinal 1
    // Ordinal 2 into the capture-state field; returns the library's result.
    int GetCaptureState();
    int SetFilter(std::int32_t ch1BandwidthLimit, std::int32_t ch2BandwidthLimit,
                  std::int32_t hfReject); // 13
    // Ordinal 16 into both raw records (each of `capacity` samples).
    int GetChannelData(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv, std::int16_t* ch1Record,
                       std::int16_t* ch2Record, std::int32_t capacity);

    // --- Equivalent-time sampling --------------------------------------------------------
    int SelectTdc(std::int16_t mode);        // ordinal 23
    int ReadTdc(std::int32_t* value);        // ordinal 24
    int WriteTdcCalData(std::int16_t* data); // ordinal 27, two words
    int SetTdcCalValue(std::int16_t value);  // ordinal 26
    int WriteEtsCalData(std::int16_t* data); // ordinal 31, ETS maximum and minimum
    int ReadTdcCalData(std::int16_t* data);  // ordinal 32, two words
    // Ordinal 25; 2 means no new data.
    int EtsGetData(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv, std::int16_t* ch1Record,
                   std::int32_t capacity, std::int16_t sweep);
    // Ordinal 22 (no device index).
    int EtsAssemble(std::int16_t* ch1Work, std::int16_t* ch2Work, std::int16_t* ch1Raw, std::int32_t capacity,
                    const kv::ZendralEtsArgs& ets);

    // --- Blocks and flags ----------------------------------------------------------------
    std::int16_t* GetStateBlock() { return m_stateBlock; }
    const std::int16_t* GetStateBlock() const { return m_stateBlock; }
    std::int16_t GetStateWord(int word) const;
    void SetStateWord(int word, std::int16_t value); // word outside 0..5 ignored
    std::int16_t* GetLevelBlock() { return m_levelBlock; }
    const std::int16_t* GetLevelBlock() const { return m_levelBlock; }
    std::int16_t GetLevelWord(int word) const;
    void SetLevelWord(int word, std::int16_t value); // word outside 0..4 ignored
    kv::ZendralFftBlock& GetFftBlock() { return m_fftBlock; }
    const kv::ZendralFftBlock& GetFftBlock() const { return m_fftBlock; }
    std::int16_t* GetAdjustmentWords() { return m_adjustment; }
    const std::int16_t* GetAdjustmentWords() const { return m_adjustment; }
    std::int32_t IsSettingsSent() const { return m_bSettingsSent; }
    void SetSettingsSent(std::int32_t sent) { m_bSettingsSent = sent; }
    std::int32_t GetCaptureStateValue() const { return m_nCaptureState; }

private:
    std::int16_t* StateOr(std::int16_t* stateBlock) { return stateBlock ? stateBlock : m_stateBlock; }

    // Every field starts at zero: start-up sends the saved set-up before the scan has
    // chosen a device, and it must then go to index 0, not to an undefined one.
    std::int16_t m_nDeviceCount = 0;
    std::int32_t m_bPresent[kMaxDevices] = {};
    std::int16_t m_nAddress[kMaxDevices] = {};
    std::int16_t m_nDeviceIndex = 0;
    std::int16_t m_stateBlock[kStateWords] = {};
    std::int16_t m_levelBlock[kLevelWords] = {};
    kv::ZendralFftBlock m_fftBlock{};
    std::int16_t m_adjustment[kAdjustmentWords] = {};
    std::int32_t m_bSettingsSent = 0;
    std::int32_t m_nCaptureState = 0;
};
