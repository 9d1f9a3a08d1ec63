#include "zendral/ZendralRegistry.h"

#include "zendral/NoInstrument.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace kv {

namespace {

struct Registry {
    std::mutex mutex;
    std::shared_ptr<IZendral> current;
    std::map<std::string, ZendralFactory> factories;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::shared_ptr<IZendral> NoInstrumentInstance() {
    static const std::shared_ptr<IZendral> none = std::make_shared<NoInstrument>();
    return none;
}

} // namespace

std::shared_ptr<IZendral> CurrentZendralShared() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.current)
        r.current = NoInstrumentInstance();
    return r.current;
}

IZendral& CurrentZendral() {
    // The shared pointer held by the registry keeps the object alive until it is replaced.
    return *CurrentZendralShared();
}

std::shared_ptr<IZendral> SetCurrentZendral(std::shared_ptr<IZendral> zendral) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::shared_ptr<IZendral> previous = r.current ? r.current : NoInstrumentInstance();
    r.current = zendral ? std::move(zendral) : NoInstrumentInstance();
    return previous;
}

void RegisterZendralFactory(const std::string& name, ZendralFactory factory) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (factory)
        r.factories[name] = std::move(factory);
    else
        r.factories.erase(name);
}

bool SelectZendralFromEnvironment() {
    const char* value = std::getenv("SCOPE_SIMULATOR");
    std::shared_ptr<IZendral> chosen;
    if (value && *value) {
        ZendralFactory factory;
        {
            Registry& r = TheRegistry();
            std::lock_guard<std::mutex> lock(r.mutex);
            auto it = r.factories.find(kSimulatorFactoryName);
            if (it != r.factories.end())
                factory = it->second;
        }
        if (factory)
            chosen = factory(value);
    }
    const bool selected = chosen != nullptr;
    SetCurrentZendral(std::move(chosen));
    return selected;
}

} // namespace kv
