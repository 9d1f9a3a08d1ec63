#include "simulator/SimWireDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace kv::sim {
namespace {

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

SimWireDevice::SimWireDevice(std::shared_ptr<SimInstrument> instrument)
    : m_instrument(instrument ? std::move(instrument) : std::make_shared<SimInstrument>()) {}

void SimWireDevice::SetPresent(bool present) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_present = present;
}
bool SimWireDevice::IsPresent() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_present;
}
void SimWireDevice::SetHighSpeed(bool high) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_highSpeed = high;
}
bool SimWireDevice::HighSpeed() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_highSpeed;
}
void SimWireDevice::InjectFault(const Fault& fault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fault = fault;
}
void SimWireDevice::ClearFault() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fault = Fault{};
}
bool SimWireDevice::AnswersAtOnce() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fault.kind != FaultKind::Stall;
}
void SimWireDevice::SetLogLimit(std::size_t limit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_logLimit = limit;
    while (m_log.size() > m_logLimit)
        m_log.pop_front();
}
std::vector<WireRecord> SimWireDevice::Log() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::vector<WireRecord>(m_log.begin(), m_log.end());
}
std::size_t SimWireDevice::LogSize() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log.size();
}
void SimWireDevice::ClearLog() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.clear();
}

FaultKind SimWireDevice::TakeFault(std::uint32_t code, std::uint32_t& stallMs) {
    if (m_fault.kind == FaultKind::None || (m_fault.code != 0 && m_fault.code != code))
        return FaultKind::None;
    if (m_fault.skip > 0) {
        --m_fault.skip;
        return FaultKind::None;
    }
    const FaultKind kind = m_fault.kind;
    stallMs = m_fault.stallMs;
    if (m_fault.count > 0 && --m_fault.count == 0)
        m_fault = Fault{};
    return kind;
}

bool SimWireDevice::IoControl(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen,
                              std::uint8_t* out, std::uint32_t outLen, std::uint32_t& returned) {
    returned = 0;
    std::uint32_t stallMs = 0;
    FaultKind fault;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_present)
            return false;
        if (m_logLimit != 0) {
            // Oldest first out: a client reading for hours must not grow the log.
            if (m_log.size() >= m_logLimit)
                m_log.pop_front();
            WireRecord rec;
            rec.code = code;
            rec.setup.assign(in, in + inLen);
            rec.length = outLen;
            const bool sends = code == kv::usb::kIoctlBulkWrite ||
                               (code == kv::usb::kIoctlVendorRequest && inLen >= 1 && in[0] == 0);
            if (sends)
                rec.data.assign(out, out + outLen);
            m_log.push_back(std::move(rec));
        }
        fault = TakeFault(code, stallMs);
    }
    if (fault == FaultKind::Fail)
        return false;
    if (fault == FaultKind::Stall) {
        std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // A short transfer delivers half of what was asked and leaves the rest of the buffer alone.
    const bool shortRead = fault == FaultKind::Short && code != kv::usb::kIoctlBulkWrite;
    std::vector<std::uint8_t> scratch;
    std::uint8_t* target = out;
    if (shortRead && outLen != 0) {
        scratch.assign(out, out + outLen);
        target = scratch.data();
    }
    bool ok = false;
    switch (code) {
    case kv::usb::kIoctlVendorRequest:
        // Input: the 10-byte request block.
        ok = inLen == 10 && VendorRequest(in, target, outLen, returned);
        break;
    case kv::usb::kIoctlBulkWrite:
        // Input: u32 pipe number, 0 for every write.
        ok = inLen == 4 && Le32(in) == 0 && BulkWrite(out, outLen, returned);
        break;
    case kv::usb::kIoctlBulkRead:
        // Input: u32 pipe number, 1 for every read.
        ok = inLen == 4 && Le32(in) == 1 && BulkRead(target, outLen, returned);
        break;
    default:
        ok = false;
    }
    if (ok && shortRead) {
        returned /= 2;
        std::copy_n(scratch.begin(), returned, out);
    }
    return ok;
}

bool SimWireDevice::VendorRequest(const std::uint8_t* block, std::uint8_t* data, std::uint32_t length,
                                  std::uint32_t& returned) {
    // Block: 0 direction (0 write, 1 read), 1 type 2 (vendor), 2 recipient 0, 3 reserved 0,
    // 4 request code, 5 padding, 6-7 value LE, 8-9 index LE (0).
    const bool read = block[0] == 1;
    if (block[0] > 1 || block[1] != 2 || block[2] != 0 || block[3] != 0 || Le16(block + 8) != 0)
        return false;
    const std::uint8_t request = block[4];
    const std::uint16_t value = Le16(block + 6);
    SimInstrument& inst = *m_instrument;
    switch (request) {
    case 0xA2: // stored settings at `value`
        if (read ? !inst.ReadMemory(value, data, length) : !inst.WriteMemory(value, data, length))
            return false;
        break;
    case 0xB2: // status: byte 0 nonzero on a high-speed link
        if (!read)
            return false;
        std::fill(data, data + length, std::uint8_t{0});
        if (length > 0)
            data[0] = m_highSpeed ? 1 : 0;
        break;
    case 0xB3: // transfer mode {0x0F, c, c, c, 0...}; mode 4 (c = 1) after a rate command: roll
        if (read || length < 2)
            return false;
        if (data[0] == 0x0F)
            inst.ApplyTransferMode(data[1]);
        break;
    case 0xB4: { // offsets: CH1 (hi | 0x20, lo), CH2 (hi | 0x30, lo), trigger (hi, lo)
        if (read || length < 6)
            return false;
        inst.ApplyOffsets(((data[0] & 0x0F) << 8) | data[1], ((data[2] & 0x0F) << 8) | data[3],
                          (data[4] << 8) | data[5]);
        break;
    }
    case 0xB5: { // relays: bytes 1-3 CH1 (range, range, coupling), 4-6 CH2, 7 trigger relay
        if (read || length < 8)
            return false;
        inst.ApplyRelays(data, length);
        break;
    }
    case 0xBC: // TDC calibration: byte 6 bits 8-15, byte 7 bits 0-7
        if (read || length < 8)
            return false;
        inst.SetTdcCalibration((data[6] << 8) | data[7]);
        break;
    default:
        return false;
    }
    returned = length;
    return true;
}

bool SimWireDevice::BulkWrite(const std::uint8_t* p, std::uint32_t length, std::uint32_t& returned) {
    if (length < 2)
        return false;
    SimInstrument& inst = *m_instrument;
    auto need = [&](std::uint32_t n) { return length >= n; };
    m_reply.clear();
    switch (p[0]) {
    case 0x00: // filter: 1 0x0F, 2 switches
        if (!need(8))
            return false;
        inst.ApplyFilter(p[2]);
        break;
    case 0x02:
        inst.ForceTrigger();
        break;
    case 0x03:
        inst.CaptureStart();
        m_streamPos = m_streamEnd = 0;
        break;
    case 0x04:
        inst.ArmTrigger();
        break;
    case 0x05: // get data: the record follows as a byte stream
        inst.FillRecordStream(m_stream);
        m_streamPos = 0;
        m_streamEnd = m_stream.size();
        inst.DataRead();
        break;
    case 0x06: { // capture state: state, address bits 16-23, address bits 0-15 LE
        std::uint32_t address = 0;
        const std::uint8_t state = inst.PollCaptureState(address);
        m_reply.assign({state, static_cast<std::uint8_t>(address >> 16), static_cast<std::uint8_t>(address),
                        static_cast<std::uint8_t>(address >> 8)});
        break;
    }
    case 0x07: // gain bits: 2 = 0x30 | CH1 (bits 0-1) | CH2 (bits 2-3)
        if (!need(8))
            return false;
        inst.ApplyGainBits(p[2]);
        break;
    case 0x08: // logic value in byte 2
        if (!need(8))
            return false;
        inst.SetLogicValue(p[2]);
        break;
    case 0x09:
        m_reply.assign({inst.LogicValue()});
        break;
    case 0x0A: {
        const std::uint32_t c = inst.TdcCount();
        m_reply.assign({static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                        static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 24)});
        break;
    }
    case 0x0B:
        if (!need(4))
            return false;
        inst.SetTdcSelect(p[2]);
        break;
    case 0x0C: // sample-clock counter LE at 2-3, flags at 4
        if (!need(6))
            return false;
        inst.ApplySampleClock(Le16(p + 2), p[4] & 3);
        break;
    case 0x0D: // positions A (2-4), B (6-7, 8 bits 0-2), memory code (8 bits 3-5)
        if (!need(10))
            return false;
        inst.ApplyPositions((p[2] | (p[3] << 8) | (p[4] << 16)) & 0x7FFFF,
                            (p[6] | (p[7] << 8) | ((p[8] & 7) << 16)) & 0x7FFFF, (p[8] >> 3) & 7);
        break;
    case 0x0E: // trigger: flags and source code at 2, value at 3, u32 at 4-7
        if (!need(8))
            return false;
        inst.ApplyTriggerCommand(p);
        break;
    default:
        return false;
    }
    returned = length;
    return true;
}

bool SimWireDevice::BulkRead(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& returned) {
    if (!m_reply.empty()) {
        std::fill(buffer, buffer + length, std::uint8_t{0});
        std::copy_n(m_reply.begin(), std::min<std::size_t>(m_reply.size(), length), buffer);
        m_reply.clear();
        returned = length;
        return true;
    }
    const std::size_t n = std::min<std::size_t>(length, m_streamEnd - m_streamPos);
    if (n != 0)
        std::memcpy(buffer, m_stream.data() + m_streamPos, n);
    m_streamPos += n;
    returned = static_cast<std::uint32_t>(n);
    return true;
}

} // namespace kv::sim
