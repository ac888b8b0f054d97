#include "dispatch_driver.h"

#include "automation_registry.h"

#include <QByteArray>

#include <cstdio>

namespace lk {

namespace {
std::string describe(std::uint32_t status, const QString& description) {
    char code[32];
    std::snprintf(code, sizeof code, "automation error 0x%08X", static_cast<unsigned>(status));
    std::string s = code;
    if (!description.isEmpty()) s += ": " + description.toStdString();
    return s;
}
}  // namespace

AutomationError::AutomationError(std::uint32_t status, QString description)
    : status_(status), description_(std::move(description)), what_(describe(status_, description_)) {}

bool DispatchDriver::createServer(const QString& progId, std::uint32_t* status) {
    std::uint32_t s = automation_status::kOk;
    object_ = lk::createServer(progId, &s);
    if (status) *status = s;
    return object_ != nullptr;
}

Variant DispatchDriver::invoke(DispatchId id, CallKind kind, std::span<const Argument> args) {
    // Keep the object alive for the call even if the caller releases it meanwhile.
    std::shared_ptr<AutomationObject> obj = object_;
    if (!obj) throw AutomationError(automation_status::kUnknownMember, QStringLiteral("no object"));
    return obj->invoke(id, kind, args);
}

DispatchDriver DispatchDriver::objectProperty(DispatchId id) {
    Variant v = invoke(id, CallKind::PropertyGet);
    if (v.kind() != Variant::Kind::Object) throw AutomationError(automation_status::kTypeMismatch);
    return DispatchDriver(v.objectValue());
}

std::int32_t DispatchDriver::intProperty(DispatchId id) {
    Variant v = invoke(id, CallKind::PropertyGet);
    if (!v.isInteger()) throw AutomationError(automation_status::kTypeMismatch);
    return v.number();
}

DispatchDriver DispatchDriver::objectMethod(DispatchId id, std::span<const Argument> args) {
    Variant v = invoke(id, CallKind::Method, args);
    if (v.kind() != Variant::Kind::Object) throw AutomationError(automation_status::kTypeMismatch);
    return DispatchDriver(v.objectValue());
}

}  // namespace lk
