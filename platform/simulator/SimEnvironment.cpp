#include "simulator/SimEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include "simulator/SimModel.h"
#include "usb/UsbBus.h"

namespace kv::sim {
namespace {

std::mutex g_mutex;
std::map<std::string, std::shared_ptr<SimWireDevice>> g_devices;

} // namespace

std::vector<int> ParseSimulatorIndexes(const char* value) {
    std::vector<int> result;
    if (!value)
        return result;
    const std::string text(value);
    if (text == "1")
        return {0};
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(',', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string token = text.substr(pos, end - pos);
        token.erase(std::remove(token.begin(), token.end(), ' '), token.end());
        if (token.size() == 1 && token[0] >= '0' && token[0] <= '3')
            result.push_back(token[0] - '0');
        pos = end + 1;
    }
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

int RegisterSimulatorsFromEnvironment(SimModel model) {
    const std::vector<int> indexes = ParseSimulatorIndexes(std::getenv("SCOPE_SIMULATOR"));
    const std::string prefix = SimDevicePrefix(model);
    std::lock_guard<std::mutex> lock(g_mutex);
    for (int index : indexes) {
        const std::string name = prefix + "-" + std::to_string(index);
        auto device = std::make_shared<SimModelDevice>(model);
        device->SetLogLimit(0);
        g_devices[name] = device;
        kv::usb::RegisterDevice(name, device);
    }
    return static_cast<int>(indexes.size());
}

int RegisterSimulatorsFromEnvironment(const std::string& prefix) {
    return RegisterSimulatorsFromEnvironment(SimModelForPrefix(prefix));
}

std::shared_ptr<SimWireDevice> EnvironmentSimulator(const std::string& prefix, int index) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_devices.find(prefix + "-" + std::to_string(index));
    return it == g_devices.end() ? nullptr : it->second;
}

} // namespace kv::sim
