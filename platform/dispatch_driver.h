#pragma once
// Late-bound calls on automation objects by dispatch id. An object answers
// property gets and method calls; a call that fails raises AutomationError,
// which the caller catches where it decides to handle server errors.

#include "automation_variant.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>

namespace lk {

using DispatchId = std::int32_t;

enum class CallKind { PropertyGet, Method };

// The error a failed automation call raises: a status code and the server's
// own description of what went wrong (may be empty).
class AutomationError : public std::exception {
public:
    AutomationError(std::uint32_t status, QString description = QString());
    std::uint32_t status() const { return status_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::uint32_t status_;
    QString description_;
    std::string what_;
};

// An object a server hands out. invoke() answers one call or throws
// AutomationError. Objects are shared: the caller holds them until it
// releases its driver.
class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    virtual Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) = 0;
};

// Holds one object and makes calls on it.
class DispatchDriver {
public:
    DispatchDriver() = default;
    explicit DispatchDriver(std::shared_ptr<AutomationObject> object) : object_(std::move(object)) {}

    // Creates the server registered under progId (see automation_registry.h);
    // false, with the status in *status, when it cannot be created.
    bool createServer(const QString& progId, std::uint32_t* status = nullptr);

    bool isNull() const { return !object_; }
    void attach(std::shared_ptr<AutomationObject> object) { object_ = std::move(object); }
    void release() { object_.reset(); }
    const std::shared_ptr<AutomationObject>& object() const { return object_; }

    // The call itself. Throws AutomationError when the driver holds no object
    // or the server reports a failure.
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args = {});

    // A property get whose result must be an object / a 32-bit integer;
    // another result type raises a type-mismatch error.
    DispatchDriver objectProperty(DispatchId id);
    std::int32_t intProperty(DispatchId id);
    // A method whose result must be an object.
    DispatchDriver objectMethod(DispatchId id, std::span<const Argument> args);

private:
    std::shared_ptr<AutomationObject> object_;
};

}  // namespace lk
