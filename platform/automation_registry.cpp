#include "automation_registry.h"

#include <map>
#include <mutex>

namespace lk {

namespace {
std::mutex g_mutex;
std::map<QString, ServerClass>& classes() {
    static std::map<QString, ServerClass> m;
    return m;
}
thread_local int t_initCount = 0;
}  // namespace

std::optional<ServerClass> registerServerClass(const QString& progId, ServerClass cls) {
    std::lock_guard lock(g_mutex);
    std::optional<ServerClass> old;
    auto it = classes().find(progId);
    if (it != classes().end()) old = std::move(it->second);
    classes()[progId] = std::move(cls);
    return old;
}

void registerServerClassIfAbsent(const QString& progId, ServerClass cls) {
    std::lock_guard lock(g_mutex);
    classes().try_emplace(progId, std::move(cls));
}

void unregisterServerClass(const QString& progId) {
    std::lock_guard lock(g_mutex);
    classes().erase(progId);
}

std::shared_ptr<AutomationObject> createServer(const QString& progId, std::uint32_t* status) {
    auto fail = [status](std::uint32_t s) {
        if (status) *status = s;
        return std::shared_ptr<AutomationObject>();
    };
    if (t_initCount <= 0) return fail(automation_status::kNotInitialized);
    ServerClass cls;
    {
        std::lock_guard lock(g_mutex);
        auto it = classes().find(progId);
        if (it == classes().end()) return fail(automation_status::kClassNotRegistered);
        cls = it->second;
    }
    if (!cls.create || (cls.installed && !cls.installed())) return fail(automation_status::kClassNotRegistered);
    try {
        std::shared_ptr<AutomationObject> obj = cls.create();
        if (!obj) return fail(automation_status::kServerStartFailed);
        if (status) *status = automation_status::kOk;
        return obj;
    } catch (const AutomationError& e) {
        return fail(e.status());
    }
}

void initializeAutomation() { ++t_initCount; }

void uninitializeAutomation() {
    if (t_initCount > 0) --t_initCount;
}

bool automationInitialized() { return t_initCount > 0; }

}  // namespace lk
