// The one crossing between the program's UTF-8 texts and the system's wide
// calls: every path and window text goes through Widen on the way in and
// Narrow on the way out.
#pragma once

#include <string>
#include <string_view>

#include "core/io/Utf16.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

inline std::wstring Widen(std::string_view utf8)
{
    const std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

inline std::string Narrow(std::wstring_view wide)
{
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
