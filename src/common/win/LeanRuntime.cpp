// Built into the programs users get with the GNU toolchain only (cmake/Windows.cmake links the GNU C++
// library's throw helpers to these): the library's own helpers build their exceptions around its older
// string, which a static program then carries whole. These throw what a caller can catch just the same:
// the standard type where it is small, otherwise an exception with the library's message.
#include "common/Error.h"

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <string>
#include <typeinfo>

extern "C"
{
    [[noreturn]] void kv2_throw_library_error(const char *message);
    [[noreturn]] void kv2_throw_out_of_range_fmt(const char *format, ...);
    [[noreturn]] void kv2_throw_bad_alloc();
    [[noreturn]] void kv2_throw_bad_array_new_length();
    [[noreturn]] void kv2_throw_bad_cast();
    [[noreturn]] void kv2_throw_bad_typeid();
    [[noreturn]] void kv2_throw_bad_exception();

    // Stands in for the logic, range, domain, length, overflow, underflow, run-time and argument errors;
    // `message` is the library's text.
    void kv2_throw_library_error(const char *message)
    {
        throw common::Error(message != nullptr ? message : "C++ library error");
    }

    // A position out of range: the library's format knows %s, %zu and %%, as the library's own helper does.
    void kv2_throw_out_of_range_fmt(const char *format, ...)
    {
        std::string message;
        va_list arguments;
        va_start(arguments, format);
        for (const char *c = format != nullptr ? format : ""; *c != '\0'; ++c)
        {
            if (c[0] == '%' && c[1] == 's')
            {
                const char *text = va_arg(arguments, const char *);
                message += text != nullptr ? text : "";
                ++c;
            }
            else if (c[0] == '%' && c[1] == 'z' && c[2] == 'u')
            {
                std::size_t value = va_arg(arguments, std::size_t);
                char digits[24];
                int count = 0;
                do
                {
                    digits[count++] = static_cast<char>('0' + value % 10);
                    value /= 10;
                } while (value != 0);
                while (count > 0)
                    message += digits[--count];
                c += 2;
            }
            else if (c[0] == '%' && c[1] == '%')
            {
                message += '%';
                ++c;
            }
            else
            {
                message += *c;
            }
        }
        va_end(arguments);
        throw common::Error(message);
    }

    void kv2_throw_bad_alloc()
    {
        throw std::bad_alloc();
    }

    void kv2_throw_bad_array_new_length()
    {
        throw std::bad_array_new_length();
    }

    void kv2_throw_bad_cast()
    {
        throw std::bad_cast();
    }

    void kv2_throw_bad_typeid()
    {
        throw std::bad_typeid();
    }

    void kv2_throw_bad_exception()
    {
        throw std::bad_exception();
    }
}
