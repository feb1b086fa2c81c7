// Conversions of registry variants to text and to 32-bit integers.
#include "platform/Variant.h"

#include "platform/NumberText.h"
#include "platform/RuntimeError.h"

namespace vellumo {

std::string VariantToText(const Variant& v) {
    struct Visitor {
        std::string operator()(Empty) const { return {}; }
        std::string operator()(int16_t i) const { return std::to_string(i); }
        std::string operator()(int32_t i) const { return std::to_string(i); }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(const ByteArray& b) const { return std::string(b.begin(), b.end()); }
    };
    return std::visit(Visitor{}, v);
}

int32_t VariantToLong(const Variant& v) {
    struct Visitor {
        int32_t operator()(Empty) const { return 0; }
        int32_t operator()(int16_t i) const { return i; }
        int32_t operator()(int32_t i) const { return i; }
        int32_t operator()(const std::string& s) const { return TextToLong(s); }
        int32_t operator()(const ByteArray&) const { throw RuntimeError(err::kTypeMismatch); }
    };
    return std::visit(Visitor{}, v);
}

} // namespace vellumo
