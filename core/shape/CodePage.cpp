#include "core/shape/CodePage.h"

#include <cctype>
#include <cstdint>

#include "core/shape/CodePageTables.h"

namespace
{

void PutUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

const uint32_t kReplacement = 0xFFFD;

// Valid UTF-8 as it is; each byte of a broken, overlong or surrogate
// sequence replaced, so that no bad byte reaches the caller.
std::string CheckedUtf8(const unsigned char* p, size_t cb)
{
    std::string out;
    out.reserve(cb);
    size_t i = 0;
    while (i < cb)
    {
        const unsigned char lead = p[i];
        if (lead < 0x80)
        {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const int extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                          : lead >= 0xE0 && lead <= 0xEF ? 2
                          : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                         : 0;
        if (extra == 0 || cb - i <= size_t(extra))
        {
            PutUtf8(out, kReplacement);
            ++i;
            continue;
        }
        uint32_t c = lead & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra && ok; ++k)
        {
            ok = (p[i + k] & 0xC0) == 0x80;
            c = c << 6 | (p[i + k] & 0x3F);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};   // shorter forms are overlong
        if (!ok || c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        {
            PutUtf8(out, kReplacement);
            ++i;
            continue;
        }
        out.append(reinterpret_cast<const char*>(p + i), size_t(extra) + 1);
        i += size_t(extra) + 1;
    }
    return out;
}

const CCodePageTable* FindTable(unsigned nCodePage)
{
    for (int i = 0; i < g_nCodePageTables; ++i)
        if (g_codePageTables[i].nCodePage == nCodePage)
            return &g_codePageTables[i];
    return nullptr;
}

bool StartsWithNoCase(const std::string& s, size_t at, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i)
        if (at + i >= s.size() || std::toupper(static_cast<unsigned char>(s[at + i])) != prefix[i])
            return false;
    return true;
}

// A run of digits and nothing after it; 0 for anything else.
unsigned Digits(const std::string& s, size_t at)
{
    if (at >= s.size() || s.size() - at > 6)
        return 0;
    unsigned n = 0;
    for (size_t i = at; i < s.size(); ++i)
    {
        if (s[i] < '0' || s[i] > '9')
            return 0;
        n = n * 10 + unsigned(s[i] - '0');
    }
    return n;
}

}   // namespace

unsigned CodePageFromCpg(const std::string& text)
{
    // Some editors save the .cpg with a byte-order mark and a line end.
    size_t first = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    size_t last = text.size();
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    const std::string name = text.substr(first, last - first);

    if ((name.size() == 5 && StartsWithNoCase(name, 0, "UTF-8")) ||
        (name.size() == 4 && StartsWithNoCase(name, 0, "UTF8")))
        return kCodePageUtf8;
    // ISO-8859-n is Windows code page 28590 + n.
    size_t at = StartsWithNoCase(name, 0, "ISO-8859") || StartsWithNoCase(name, 0, "ISO 8859") ? 8
                : StartsWithNoCase(name, 0, "8859")                                            ? 4
                                                                                               : std::string::npos;
    if (at != std::string::npos)
    {
        if (at < name.size() && (name[at] == '-' || name[at] == '_'))
            ++at;
        const unsigned part = Digits(name, at);
        return part >= 1 && part <= 16 ? 28590 + part : 0;
    }
    for (const char* prefix : {"ANSI ", "WINDOWS-", "CP", "OEM "})
        if (StartsWithNoCase(name, 0, prefix))
            return Digits(name, std::char_traits<char>::length(prefix));
    return Digits(name, 0);
}

unsigned CodePageFromLanguageByte(unsigned char nLanguage)
{
    // The common bytes of GDAL's table (ogrshapelayer.cpp); the rest are
    // rare, or name pages we do not decode, and are left unknown.
    switch (nLanguage)
    {
    case 0x01: return 437;
    case 0x02: return 850;
    case 0x03: return 1252;
    case 0x57: return kCodePageLatin1;
    case 0x58: return 1252;
    case 0x59: return 1252;
    case 0x64: return 852;
    case 0x65: return 866;
    case 0xC8: return 1250;
    case 0xC9: return 1251;
    case 0xCA: return 1254;
    case 0xCB: return 1253;
    default: return 0;
    }
}

bool CanDecodeCodePage(unsigned nCodePage) { return nCodePage == kCodePageUtf8 || FindTable(nCodePage) != nullptr; }

std::string DecodeToUtf8(const char* p, size_t cb, unsigned nCodePage)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
    if (nCodePage == kCodePageUtf8)
        return CheckedUtf8(bytes, cb);
    const CCodePageTable* table = FindTable(nCodePage);
    std::string out;
    out.reserve(cb);
    for (size_t i = 0; i < cb; ++i)
        PutUtf8(out, bytes[i] < 0x80 ? bytes[i] : table ? table->upperHalf[bytes[i] - 0x80] : kReplacement);
    return out;
}

bool FitsCodePage(const std::string& utf8, unsigned nCodePage)
{
    if (nCodePage == kCodePageUtf8 || nCodePage == 0)
        return true;
    // A character the page lacks comes back from the round trip as '?'.
    const std::string encoded = EncodeFromUtf8(utf8, nCodePage);
    return DecodeToUtf8(encoded.data(), encoded.size(), nCodePage) ==
           CheckedUtf8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size());
}

std::string EncodeFromUtf8(const std::string& utf8, unsigned nCodePage)
{
    if (nCodePage == kCodePageUtf8)
        return utf8;
    const CCodePageTable* table = FindTable(nCodePage);
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();)
    {
        const unsigned char lead = p[i];
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        uint32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = c << 6 | (p[i + k] & 0x3F);
        i += size_t(extra) + 1;
        char byte = '?';
        if (c < 0x80)
            byte = static_cast<char>(c);
        else
            for (int k = 0; table && k < 128; ++k)
                if (table->upperHalf[k] == c)
                {
                    byte = static_cast<char>(0x80 + k);
                    break;
                }
        out += byte;
    }
    return out;
}

std::string ConvertCodePage(const std::string& text, unsigned nFrom, unsigned nTo)
{
    if (nFrom == nTo || nFrom == 0 || nTo == 0)
        return text;
    return EncodeFromUtf8(DecodeToUtf8(text.data(), text.size(), nFrom), nTo);
}
