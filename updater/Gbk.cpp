#include "updater/Gbk.h"

#include "platform/CodePage.h"

namespace patchwell {

using tonvik::platform::ConvertCharset;
using tonvik::platform::OnInvalid;

std::string Gbk(std::string_view utf8) {
    return ConvertCharset(utf8, "UTF-8", "CP936", OnInvalid::Replace).value_or(std::string(utf8));
}

std::string GbkToUtf8(std::string_view gbk) {
    return ConvertCharset(gbk, "CP936", "UTF-8", OnInvalid::Replace).value_or(std::string(gbk));
}

}  // namespace patchwell
