#pragma once
// GBK texts of the library as Qt strings.

#include <QString>

#include <string_view>

namespace patchwell {

// A GBK/CP936 text as a QString; bytes that are not valid GBK become U+FFFD.
QString QStringFromGbk(std::string_view gbk);

// The same, for a multi-line box: "\r\n" and lone "\r" become line breaks.
QString MultiLineFromGbk(std::string_view gbk);

}  // namespace patchwell
