#include "cad/win/property.h"

#include "cad/win/variant.h"

namespace cad::automation {

namespace {

template <typename Convert>
auto answerOf(const Dispatch& object, std::wstring_view member, const Convert& convert) {
    Variant result;
    object.call(member, result);
    return convert(result);
}

}  // namespace

std::u16string stringOf(const Dispatch& object, std::wstring_view member) {
    return answerOf(object, member, toString);
}

std::int32_t int32Of(const Dispatch& object, std::wstring_view member) {
    return answerOf(object, member, toInt32);
}

bool boolOf(const Dispatch& object, std::wstring_view member) {
    return answerOf(object, member, toBool);
}

Dispatch objectOf(const Dispatch& object, std::wstring_view member) {
    return answerOf(object, member, [&](const Variant& result) { return object.wrap(result); });
}

}  // namespace cad::automation
