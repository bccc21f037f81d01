#include "core/crs/CrsSearch.h"

#include <algorithm>

namespace
{

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Lower case, with runs of white space made one space and none at the ends.
std::string Folded(std::string_view text)
{
    std::string folded;
    for (char c : text)
    {
        if (IsSpace(c))
        {
            if (!folded.empty() && folded.back() != ' ')
                folded += ' ';
        }
        else
        {
            folded += Lower(c);
        }
    }
    if (!folded.empty() && folded.back() == ' ')
        folded.pop_back();
    return folded;
}

std::vector<std::string> Words(const std::string& folded)
{
    std::vector<std::string> words;
    size_t start = 0;
    while (start < folded.size())
    {
        size_t end = folded.find(' ', start);
        if (end == std::string::npos)
            end = folded.size();
        words.push_back(folded.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

void AddCodesBeginningWith(const CCrsCatalogue& catalogue, const std::string& digits, std::vector<int>& found)
{
    for (size_t i = 0; i < catalogue.GetSize(); ++i)
    {
        const std::string code = std::to_string(catalogue.GetAt(i).nCode);
        if (code.compare(0, digits.size(), digits) == 0)
            found.push_back(static_cast<int>(i));
    }
    // The catalogue is in ascending codes: the shortest, the exact code, come first.
}

void AddNamesWithWords(const CCrsCatalogue& catalogue, const std::string& folded, std::vector<int>& found)
{
    const std::vector<std::string> words = Words(folded);
    std::vector<std::pair<int, int>> ranked;   // (group, index)
    for (size_t i = 0; i < catalogue.GetSize(); ++i)
    {
        const std::string name = Folded(catalogue.GetAt(i).name);
        std::string joined = name;
        joined.erase(std::remove(joined.begin(), joined.end(), ' '), joined.end());
        const bool all = std::all_of(words.begin(), words.end(), [&](const std::string& word) {
            return name.find(word) != std::string::npos || joined.find(word) != std::string::npos;
        });
        if (!all)
            continue;
        const int group = name == folded ? 0 : name.compare(0, words[0].size(), words[0]) == 0 ? 1 : 2;
        ranked.emplace_back(group, static_cast<int>(i));
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first < b.first; });
    std::vector<bool> listed(catalogue.GetSize(), false);
    for (int index : found)
        listed[index] = true;
    for (const auto& entry : ranked)
        if (!listed[entry.second])
            found.push_back(entry.second);
}

}   // namespace

std::vector<int> SearchCrs(const CCrsCatalogue& catalogue, const std::string& strQuery)
{
    std::vector<int> found;
    const std::string folded = Folded(strQuery);
    if (folded.empty())
        return found;

    if (folded.compare(0, 4, "epsg") == 0)
    {
        std::string rest = folded.substr(4);
        if (!rest.empty() && rest[0] == ':')
            rest.erase(0, 1);
        if (!rest.empty() && rest[0] == ' ')
            rest.erase(0, 1);
        if (IsDigits(rest))
        {
            AddCodesBeginningWith(catalogue, rest, found);
            return found;
        }
    }
    if (IsDigits(folded))
        AddCodesBeginningWith(catalogue, folded, found);
    AddNamesWithWords(catalogue, folded, found);
    return found;
}
