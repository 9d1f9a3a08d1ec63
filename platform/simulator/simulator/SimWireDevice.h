#pragma once
// The driver-protocol side of the simulated instrument: decodes vendor requests and bulk command
// packets into calls on a SimInstrument, answers reply packets and streams sample packets, keeps
// a bounded log of what crossed the wire, and can inject transfer faults.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "simulator/SimInstrument.h"
#include "usb/UsbDevice.h"

namespace kv::sim {

// One transfer as the device saw it.
struct WireRecord {
    std::uint32_t code = 0;          // control code
    std::vector<std::uint8_t> setup; // vendor request block, or the 4-byte pipe number
    std::vector<std::uint8_t> data;  // bytes sent to the device (empty for reads)
    std::uint32_t length = 0;        // data-stage / buffer length the host offered
};

enum class FaultKind {
    None,
    Fail,  // the control call reports failure and transfers nothing
    Short, // a read delivers half of what was asked (the rest of the buffer is left alone)
    Stall, // the call does not return for the stall time, then fails
};

struct Fault {
    FaultKind kind = FaultKind::None;
    std::uint32_t code = 0; // control code the fault applies to; 0 = every code
    int skip = 0;           // matching transfers let through before the fault starts
    int count = -1;         // faulty transfers, then the fault clears; -1 = for ever
    std::uint32_t stallMs = 0;
};

class SimWireDevice : public kv::usb::UsbDevice {
public:
    explicit SimWireDevice(std::shared_ptr<SimInstrument> instrument = std::make_shared<SimInstrument>());

    SimInstrument& Instrument() { return *m_instrument; }
    std::shared_ptr<SimInstrument> InstrumentPtr() const { return m_instrument; }

    void SetPresent(bool present);
    bool IsPresent() const override;
    void SetHighSpeed(bool high); // link speed reported by request 0xB2 (default high speed)
    bool HighSpeed() const;

    void InjectFault(const Fault& fault);
    void ClearFault();
    // The instrument answers at once unless a stall is waiting to strike.
    bool AnswersAtOnce() const override;

    // The log keeps the newest `limit` transfers (0: none), so a long run cannot grow it
    // without end; kDefaultLogLimit unless changed.
    static constexpr std::size_t kDefaultLogLimit = 65536;
    void SetLogLimit(std::size_t limit);
    std::vector<WireRecord> Log() const;
    std::size_t LogSize() const;
    void ClearLog();

    bool IoControl(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen, std::uint8_t* out,
                   std::uint32_t outLen, std::uint32_t& returned) override;

private:
    bool VendorRequest(const std::uint8_t* block, std::uint8_t* data, std::uint32_t length,
                       std::uint32_t& returned);
    bool BulkWrite(const std::uint8_t* packet, std::uint32_t length, std::uint32_t& returned);
    bool BulkRead(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& returned);
    FaultKind TakeFault(std::uint32_t code, std::uint32_t& stallMs);

    std::shared_ptr<SimInstrument> m_instrument;
    mutable std::mutex m_mutex;
    bool m_present = true;
    bool m_highSpeed = true;
    Fault m_fault;
    std::size_t m_logLimit = kDefaultLogLimit;
    std::deque<WireRecord> m_log;
    std::vector<std::uint8_t> m_reply;  // pending reply packet of 0x06, 0x09, 0x0A
    std::vector<std::uint8_t> m_stream; // sample stream after 0x05; its memory is kept for the next
    std::size_t m_streamPos = 0;
    std::size_t m_streamEnd = 0;
};

} // namespace kv::sim
