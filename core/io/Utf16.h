// UTF-8 (every text inside the program) to UTF-16 (the system's wide
// calls) and back. Each byte of a broken UTF-8 sequence, and each unpaired
// surrogate, becomes U+FFFD, so no bad unit reaches the other side.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
