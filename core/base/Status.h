// The result of an operation that can fail: a code of the operation's own
// enum, whose zero value is success, and a detail for the user's message
// (the file concerned, the words of the library or of the system).
#pragma once

#include <string>
#include <utility>

template <typename Code>
class [[nodiscard]] CStatus
{
public:
    CStatus() = default;
    // Implicit, so that an operation can return a bare code.
    CStatus(Code code, std::string detail = std::string()) : m_code(code), m_detail(std::move(detail)) {}

    bool Ok() const { return m_code == Code{}; }
    Code GetCode() const { return m_code; }
    const std::string& Detail() const { return m_detail; }

private:
    Code m_code{};
    std::string m_detail;
};
