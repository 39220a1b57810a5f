// The base of every exception KV2 throws: a message in UTF-8.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace common
{

// Not std::runtime_error: the GNU C++ library keeps that type's text in its older string, whose code
// (some 70 KB) a static program then carries whole. This one keeps its text in the ordinary string.
class Error : public std::exception
{
  public:
    explicit Error(std::string message) : m_message(std::move(message))
    {
    }

    const char *what() const noexcept override
    {
        return m_message.c_str();
    }

  private:
    std::string m_message;
};

} // namespace common
