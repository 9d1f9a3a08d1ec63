#include "usb/UsbBus.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace kv::usb {
namespace {

// A run of control calls handed to a device's I/O thread in one piece: call i moves bytes
// [i x chunk, (i + 1) x chunk) of `out`. A single control call is a run of one. The caller's
// buffers are copied in and out, so a run that times out can finish later without touching
// memory the caller has released; `out` comes from the worker's spare buffers and goes back to
// them, so a stream of large reads touches no fresh memory.
struct Job {
    std::uint32_t code = 0;
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out; // at least chunk x count bytes
    std::uint32_t chunk = 0;
    std::uint32_t count = 1;
    bool stopOnShort = false; // a run ends at the first call that moves less than its chunk
    // Progress, guarded by the worker's mutex: the call under way and when it started, so the
    // caller can time out each call on its own.
    std::uint32_t current = 0;
    std::chrono::steady_clock::time_point currentStart;
    bool abandoned = false; // the caller gave up: calls not yet started are skipped
    std::uint32_t returned = 0;
    bool ok = false;
    bool done = false;
};

// The I/O thread of one registered device. It outlives its registration while a call is still
// running inside the device: the thread holds the state, the registry only a reference.
struct IoWorker {
    std::shared_ptr<UsbDevice> device;
    std::mutex mutex;
    std::condition_variable wake;     // new job or stop
    std::condition_variable finished; // a job is done
    std::deque<std::shared_ptr<Job>> queue;
    bool stop = false;
    bool busy = false;                            // inside the device's call, on this thread or a caller's
    std::vector<std::vector<std::uint8_t>> spare; // out buffers of finished jobs

    static constexpr std::size_t kSpareBuffers = 2;

    static void Run(std::shared_ptr<IoWorker> self) {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock<std::mutex> lock(self->mutex);
                self->wake.wait(lock, [&] { return self->stop || (!self->queue.empty() && !self->busy); });
                if (self->stop) {
                    // Calls still queued fail at once instead of waiting out their time-out.
                    for (auto& pending : self->queue)
                        pending->done = true;
                    self->queue.clear();
                    self->finished.notify_all();
                    return;
                }
                job = self->queue.front();
                self->queue.pop_front();
                self->busy = true;
            }
            bool ok = true;
            std::uint32_t total = 0;
            for (std::uint32_t i = 0; i < job->count; ++i) {
                if (i != 0) {
                    std::lock_guard<std::mutex> lock(self->mutex);
                    if (job->abandoned) {
                        ok = false;
                        break;
                    }
                    job->current = i;
                    job->currentStart = std::chrono::steady_clock::now();
                }
                std::uint32_t returned = 0;
                bool callOk = false;
                try {
                    callOk = self->device->IoControl(
                        job->code, job->in.data(), static_cast<std::uint32_t>(job->in.size()),
                        job->out.data() + static_cast<std::size_t>(i) * job->chunk, job->chunk, returned);
                } catch (...) {
                    callOk = false;
                }
                returned = std::min(returned, job->chunk);
                total += returned;
                if (!callOk || (job->stopOnShort && returned != job->chunk)) {
                    ok = callOk && !job->stopOnShort;
                    break;
                }
            }
            {
                std::lock_guard<std::mutex> lock(self->mutex);
                job->ok = ok;
                job->returned = total;
                job->done = true;
                self->busy = false;
            }
            self->finished.notify_all();
            self->wake.notify_all(); // a caller may wait for the device to be free
        }
    }

    // A buffer of at least `length` bytes for a job's out data (caller holds no lock).
    std::vector<std::uint8_t> TakeBuffer(std::size_t length) {
        std::vector<std::uint8_t> buffer;
        {
            std::lock_guard<std::mutex> lock(mutex);
            auto fit = std::find_if(spare.begin(), spare.end(),
                                    [&](const std::vector<std::uint8_t>& b) { return b.size() >= length; });
            if (fit == spare.end() && !spare.empty())
                fit = spare.begin();
            if (fit != spare.end()) {
                buffer.swap(*fit);
                spare.erase(fit);
            }
        }
        if (buffer.size() < length)
            buffer.resize(length);
        return buffer;
    }
    void GiveBack(std::vector<std::uint8_t>&& buffer) {
        std::lock_guard<std::mutex> lock(mutex);
        if (spare.size() < kSpareBuffers)
            spare.push_back(std::move(buffer));
    }

    // Runs `call` on the caller's thread when the device answers at once and nothing else is
    // under way or waiting; false when the call must go through the queue instead.
    template <typename Call> bool TryDirect(Call&& call) {
        if (!device->AnswersAtOnce())
            return false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stop || busy || !queue.empty())
                return false;
            busy = true;
        }
        call();
        {
            std::lock_guard<std::mutex> lock(mutex);
            busy = false;
        }
        // The I/O thread may hold a job back while the device was busy here.
        wake.notify_all();
        return true;
    }
};

struct Entry {
    std::string name;
    std::shared_ptr<UsbDevice> device;
    std::shared_ptr<IoWorker> worker;
    std::thread thread;
    bool registered = true;
    long opens = 0;
};

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Entry>> byName;
    std::map<Handle, std::shared_ptr<Entry>> handles;
    Handle nextHandle = 1;
    long failedOpens = 0;
    // I/O threads that were still inside a device call when their device was unregistered.
    std::vector<std::thread> lingering;

    // Every I/O thread is joined before the registry (and, in a shared library, its code) goes
    // away; a thread left running would wake up in unmapped code.
    ~Registry() {
        for (auto& kv : byName)
            Retire(*kv.second, lingering);
        for (auto& t : lingering)
            if (t.joinable())
                t.join();
    }

    static std::shared_ptr<Entry> MakeEntry(const std::string& name, std::shared_ptr<UsbDevice> device) {
        auto entry = std::make_shared<Entry>();
        entry->name = name;
        entry->device = device;
        entry->worker = std::make_shared<IoWorker>();
        entry->worker->device = std::move(device);
        entry->thread = std::thread(IoWorker::Run, entry->worker);
        return entry;
    }

    // Stops the entry's I/O thread. An idle thread is joined at once; one stuck inside the device
    // is kept aside and joined when the registry ends.
    static void Retire(Entry& entry, std::vector<std::thread>& lingering) {
        entry.registered = false;
        if (!entry.worker || !entry.thread.joinable())
            return;
        bool busy;
        {
            std::lock_guard<std::mutex> lock(entry.worker->mutex);
            entry.worker->stop = true;
            busy = entry.worker->busy;
        }
        entry.worker->wake.notify_all();
        if (busy)
            lingering.push_back(std::move(entry.thread));
        else
            entry.thread.join();
    }
};

Registry& Reg() {
    static Registry registry;
    return registry;
}

std::atomic<std::uint32_t> g_timeoutMs{5000};

} // namespace

void RegisterDevice(const std::string& name, std::shared_ptr<UsbDevice> device) {
    if (name.empty() || !device)
        return;
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byName.find(name);
    if (it != r.byName.end())
        Registry::Retire(*it->second, r.lingering);
    r.byName[name] = Registry::MakeEntry(name, std::move(device));
}

void UnregisterDevice(const std::string& name) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byName.find(name);
    if (it == r.byName.end())
        return;
    Registry::Retire(*it->second, r.lingering);
    r.byName.erase(it);
}

void UnregisterAllDevices() {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (auto& kv : r.byName)
        Registry::Retire(*kv.second, r.lingering);
    r.byName.clear();
}

bool IsRegistered(const std::string& name) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.byName.count(name) != 0;
}

Handle OpenDevice(const std::string& path) {
    Registry& r = Reg();
    const std::size_t prefixLen = std::strlen(kDevicePathPrefix);
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (path.size() > prefixLen && path.compare(0, prefixLen, kDevicePathPrefix) == 0) {
            auto it = r.byName.find(path.substr(prefixLen));
            if (it != r.byName.end())
                entry = it->second;
        }
        if (!entry) {
            ++r.failedOpens;
            return kInvalidHandle;
        }
    }
    // Asked outside the registry lock: a device may take its own lock here.
    if (!entry->device->IsPresent()) {
        std::lock_guard<std::mutex> lock(r.mutex);
        ++r.failedOpens;
        return kInvalidHandle;
    }
    std::lock_guard<std::mutex> lock(r.mutex);
    const Handle h = r.nextHandle++;
    r.handles[h] = entry;
    ++entry->opens;
    return h;
}

bool CloseDevice(Handle handle) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.handles.erase(handle) != 0;
}

namespace {

std::shared_ptr<Entry> EntryOf(Handle handle) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.handles.find(handle);
    if (it == r.handles.end() || !it->second->registered)
        return nullptr;
    return it->second;
}

// Hands a job to the device's I/O thread and waits for it. Every call of the job has its own
// time-out counted from its start (the first from the hand-off); the caller sleeps until the
// deadline of the call under way and is not woken per call.
bool Submit(IoWorker& w, const std::shared_ptr<Job>& job) {
    const auto timeout = std::chrono::milliseconds(g_timeoutMs.load());
    std::unique_lock<std::mutex> lock(w.mutex);
    if (w.stop)
        return false;
    job->currentStart = std::chrono::steady_clock::now();
    w.queue.push_back(job);
    w.wake.notify_all();
    for (;;) {
        const std::uint32_t call = job->current;
        const auto deadline = job->currentStart + timeout;
        if (w.finished.wait_until(lock, deadline, [&] { return job->done || job->current != call; })) {
            if (job->done)
                return true;
            continue; // the run moved on to its next call, which has a deadline of its own
        }
        // Without the time-out a device that never answers would block the caller for ever.
        job->abandoned = true;
        auto pos = std::find(w.queue.begin(), w.queue.end(), job);
        if (pos != w.queue.end())
            w.queue.erase(pos);
        return false;
    }
}

// A job for `count` calls of `chunk` bytes each. The caller's out bytes are copied in unless the
// calls only read into them.
std::shared_ptr<Job> MakeJob(IoWorker& w, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                             std::uint32_t chunk, std::uint32_t count) {
    auto job = std::make_shared<Job>();
    job->code = code;
    const auto* inBytes = static_cast<const std::uint8_t*>(in);
    job->in.assign(inBytes, inBytes + inLen);
    const std::size_t total = static_cast<std::size_t>(chunk) * count;
    job->out = w.TakeBuffer(total);
    if (total != 0 && code != kIoctlBulkRead)
        std::memcpy(job->out.data(), out, total);
    job->chunk = chunk;
    job->count = count;
    return job;
}

// One device call on the caller's thread, guarded like the I/O thread's.
bool CallDevice(UsbDevice& device, std::uint32_t code, const void* in, std::uint32_t inLen, std::uint8_t* out,
                std::uint32_t outLen, std::uint32_t& returned) {
    returned = 0;
    bool ok = false;
    try {
        ok = device.IoControl(code, static_cast<const std::uint8_t*>(in), inLen, out, outLen, returned);
    } catch (...) {
        ok = false;
    }
    returned = std::min(returned, outLen);
    return ok;
}

} // namespace

bool IoControl(Handle handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
               std::uint32_t outLen, std::uint32_t* returned) {
    if (returned)
        *returned = 0;
    if ((inLen != 0 && !in) || (outLen != 0 && !out))
        return false;
    const std::shared_ptr<Entry> entry = EntryOf(handle);
    if (!entry)
        return false;
    IoWorker& w = *entry->worker;
    bool ok = false;
    std::uint32_t moved = 0;
    if (w.TryDirect([&] {
            ok = CallDevice(*w.device, code, in, inLen, static_cast<std::uint8_t*>(out), outLen, moved);
        })) {
        if (returned)
            *returned = moved;
        return ok;
    }
    auto job = MakeJob(w, code, in, inLen, out, outLen, 1);
    if (!Submit(w, job))
        return false;
    // A read hands back what arrived; other calls hand back their whole buffer.
    const std::size_t back = code == kIoctlBulkRead ? job->returned : outLen;
    if (back != 0)
        std::memcpy(out, job->out.data(), back);
    if (returned)
        *returned = job->returned;
    const bool result = job->ok;
    w.GiveBack(std::move(job->out));
    return result;
}

bool IoControlRun(Handle handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                  std::uint32_t chunk, std::uint32_t count, std::uint32_t* returned) {
    if (returned)
        *returned = 0;
    const std::size_t total = static_cast<std::size_t>(chunk) * count;
    if ((inLen != 0 && !in) || (total != 0 && !out) || total > 0xFFFFFFFFu)
        return false;
    if (count == 0)
        return true;
    const std::shared_ptr<Entry> entry = EntryOf(handle);
    if (!entry)
        return false;
    IoWorker& w = *entry->worker;
    bool ok = true;
    std::uint32_t moved = 0;
    auto* bytes = static_cast<std::uint8_t*>(out);
    const bool direct = w.TryDirect([&] {
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t n = 0;
            const bool callOk =
                CallDevice(*w.device, code, in, inLen, bytes + static_cast<std::size_t>(i) * chunk, chunk, n);
            moved += n;
            if (!callOk || n != chunk) {
                ok = false;
                break;
            }
        }
    });
    if (direct) {
        if (returned)
            *returned = moved;
        return ok;
    }
    auto job = MakeJob(w, code, in, inLen, out, chunk, count);
    job->stopOnShort = true;
    if (!Submit(w, job))
        return false;
    // Only what the device delivered is handed back; the rest of the caller's buffer stays.
    if (job->returned != 0)
        std::memcpy(out, job->out.data(), job->returned);
    if (returned)
        *returned = job->returned;
    const bool result = job->ok;
    w.GiveBack(std::move(job->out));
    return result;
}

void SetTransferTimeoutMs(std::uint32_t ms) {
    g_timeoutMs.store(ms == 0 ? 1 : ms);
}
std::uint32_t TransferTimeoutMs() {
    return g_timeoutMs.load();
}

int OpenHandleCount() {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.handles.size());
}

long OpenCount(const std::string& name) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byName.find(name);
    return it == r.byName.end() ? 0 : it->second->opens;
}

long FailedOpenCount() {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.failedOpens;
}

} // namespace kv::usb
