#pragma once
// The process-wide instrument access that the engine uses, and the hook through which
// other implementations (the simulated instrument) make themselves selectable.
#include "zendral/Zendral.h"

#include <functional>
#include <memory>
#include <string>

namespace kv {

// The instrument access in use; never null (no instrument until one is set).
IZendral& CurrentZendral();
std::shared_ptr<IZendral> CurrentZendralShared();

// Replaces the current instrument access; null restores "no instrument". Returns the
// previous one.
std::shared_ptr<IZendral> SetCurrentZendral(std::shared_ptr<IZendral> zendral);

// A factory receives the selection text (for the simulator the value of SCOPE_SIMULATOR,
// e.g. "1" or "0,2") and returns the implementation, or null when the text is not usable.
using ZendralFactory = std::function<std::shared_ptr<IZendral>(const std::string& selection)>;

// Registers (or replaces, or with an empty factory removes) the factory under `name`.
void RegisterZendralFactory(const std::string& name, ZendralFactory factory);

// Name under which the simulated instrument registers its factory.
constexpr const char* kSimulatorFactoryName = "simulator";

// Chooses the instrument access for this run from SCOPE_SIMULATOR: unset or empty means no
// instrument; otherwise the simulator factory builds one from the value. Falls back to no
// instrument when no simulator is registered or the factory declines. Returns true when an
// instrument other than "no instrument" was selected.
bool SelectZendralFromEnvironment();

// Restores the previous instrument access when it leaves scope (tests).
class ScopedZendral {
public:
    explicit ScopedZendral(std::shared_ptr<IZendral> zendral)
        : m_previous(SetCurrentZendral(std::move(zendral))) {}
    ~ScopedZendral() { SetCurrentZendral(std::move(m_previous)); }
    ScopedZendral(const ScopedZendral&) = delete;
    ScopedZendral& operator=(const ScopedZendral&) = delete;

private:
    std::shared_ptr<IZendral> m_previous;
};

} // namespace kv
