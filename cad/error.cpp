#include "cad/error.h"

#include "base/unicode.h"

namespace cad {

Error::Error(std::int32_t number, std::u16string description)
    : number_(number),
      description_(std::move(description)),
      utf8_(base::utf16ToUtf8(description_)) {}

Error objectNotSet() {
    return {errc::kObjectNotSet, u"对象变量未设置：没有连接到 CAD 应用程序，或它没有打开的图形。"};
}

}  // namespace cad
