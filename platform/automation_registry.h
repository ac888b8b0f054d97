#pragma once
// Automation servers by name (ProgID), and the per-thread set-up that calls
// to them need. A server class says whether it is installed and how to make
// an application object; creating a server of a class that is missing or not
// installed fails with "class not registered".

#include "dispatch_driver.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace lk {

struct ServerClass {
    // Whether the server can run on this machine now (nullptr: always).
    std::function<bool()> installed;
    // Makes a new application object; throws AutomationError when the server
    // cannot be started.
    std::function<std::shared_ptr<AutomationObject>()> create;
};

// Registers a class under progId, replacing any earlier one; returns the one
// it replaced (if any) so that a caller can put it back.
std::optional<ServerClass> registerServerClass(const QString& progId, ServerClass cls);
// Registers a class only when none is registered under progId yet.
void registerServerClassIfAbsent(const QString& progId, ServerClass cls);
void unregisterServerClass(const QString& progId);

// Creates an application object of the class registered under progId. The
// calling thread must have set up automation (AutomationThreadScope).
// Returns nullptr and sets *status when it cannot.
std::shared_ptr<AutomationObject> createServer(const QString& progId, std::uint32_t* status = nullptr);

// Sets up automation for the calling thread for its lifetime; scopes nest.
void initializeAutomation();
void uninitializeAutomation();
bool automationInitialized();

class AutomationThreadScope {
public:
    AutomationThreadScope() { initializeAutomation(); }
    ~AutomationThreadScope() { uninitializeAutomation(); }
    AutomationThreadScope(const AutomationThreadScope&) = delete;
    AutomationThreadScope& operator=(const AutomationThreadScope&) = delete;
};

}  // namespace lk
