#pragma once
// The values late-bound automation calls send and receive: nothing, an
// omitted argument, 16-bit and 32-bit integers, text, an object and an array
// of bytes. True and false travel as 16-bit integers 1 and 0.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

namespace lk {

class AutomationObject;

// Status codes of automation calls (the values the automation standard uses).
namespace automation_status {
constexpr std::uint32_t kOk = 0;
constexpr std::uint32_t kUnknownMember = 0x80020003;      // no member with that dispatch id
constexpr std::uint32_t kParamNotFound = 0x80020004;      // carried by an omitted argument
constexpr std::uint32_t kTypeMismatch = 0x80020005;       // an argument or result of the wrong type
constexpr std::uint32_t kException = 0x80020009;          // the server reports an error of its own
constexpr std::uint32_t kBadIndex = 0x8002000B;           // an index out of range
constexpr std::uint32_t kBadArgumentCount = 0x8002000E;   // too many or too few arguments
constexpr std::uint32_t kClassNotRegistered = 0x80040154; // no server under that name
constexpr std::uint32_t kNotInitialized = 0x800401F0;     // automation not set up on this thread
constexpr std::uint32_t kServerStartFailed = 0x80080005;  // the server could not be started
}  // namespace automation_status

class Variant {
public:
    enum class Kind { Empty, Missing, Int16, Int32, Text, Object, Bytes };

    Variant() = default;
    static Variant missing() { return Variant(Kind::Missing); }
    static Variant int16(std::int16_t v) {
        Variant r(Kind::Int16);
        r.number_ = v;
        return r;
    }
    // True and false as the 16-bit integers 1 and 0.
    static Variant flag(bool v) { return int16(v ? 1 : 0); }
    static Variant int32(std::int32_t v) {
        Variant r(Kind::Int32);
        r.number_ = v;
        return r;
    }
    static Variant text(QString v) {
        Variant r(Kind::Text);
        r.text_ = std::move(v);
        return r;
    }
    static Variant object(std::shared_ptr<AutomationObject> v) {
        Variant r(v ? Kind::Object : Kind::Empty);
        r.object_ = std::move(v);
        return r;
    }
    static Variant bytes(QByteArray v) {
        Variant r(Kind::Bytes);
        r.bytes_ = std::move(v);
        return r;
    }

    Kind kind() const { return kind_; }
    bool isMissing() const { return kind_ == Kind::Missing; }
    bool isInteger() const { return kind_ == Kind::Int16 || kind_ == Kind::Int32; }
    // The status code an omitted argument carries.
    std::uint32_t status() const { return kind_ == Kind::Missing ? automation_status::kParamNotFound : 0; }
    // The integer value of Int16 and Int32 (0 for other kinds).
    std::int32_t number() const { return number_; }
    const QString& textValue() const { return text_; }
    const std::shared_ptr<AutomationObject>& objectValue() const { return object_; }
    const QByteArray& bytesValue() const { return bytes_; }

private:
    explicit Variant(Kind k) : kind_(k) {}
    Kind kind_ = Kind::Empty;
    std::int32_t number_ = 0;
    QString text_;
    std::shared_ptr<AutomationObject> object_;
    QByteArray bytes_;
};

// One argument of a call: a value the server gets a copy of, or a reference
// to the caller's variant that the server reads (and may write) in place.
class Argument {
public:
    static Argument byValue(Variant v) { return Argument(std::move(v), nullptr); }
    static Argument byReference(Variant& v) { return Argument(Variant(), &v); }

    bool isReference() const { return ref_ != nullptr; }
    const Variant& value() const { return ref_ ? *ref_ : value_; }
    // The caller's variant of a by-reference argument (nullptr for a value).
    Variant* reference() const { return ref_; }

private:
    Argument(Variant v, Variant* ref) : value_(std::move(v)), ref_(ref) {}
    Variant value_;
    Variant* ref_;
};

}  // namespace lk
