// The programs' stand-ins for the C++ library's throw helpers: what the library's containers raise is
// still caught, as the same kind of exception, with the library's words.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace
{

TEST(LibraryThrows, ContainerFaultsAreCaughtWithTheLibrarysWords)
{
    struct Case
    {
        const char *name;
        std::function<void()> fault;
        const char *words;
    };
    const Case cases[] = {
        {"a position past the end", [] { (void)std::u16string(u"ab").substr(3); },
         "basic_string::substr: __pos (which is 3) > this->size() (which is 2)"},
        {"a string too long", [] { std::u16string().reserve(std::u16string().max_size() + 1); },
         "basic_string"},
        {"a vector too long", [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); },
         "vector::reserve"},
        {"an element past the end", [] { (void)std::vector<int>(2).at(2); },
         "vector::_M_range_check: __n (which is 2) >= this->size() (which is 2)"},
    };
    for (const Case &c : cases)
    {
        try
        {
            c.fault();
            ADD_FAILURE() << c.name << ": nothing was thrown";
        }
        catch (const std::exception &error)
        {
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos)
                << c.name << ": " << error.what();
        }
    }
}

TEST(LibraryThrows, AllocationFaultsKeepTheirTypes)
{
    std::allocator<std::uint64_t> allocator;
    const auto kind = [&](std::size_t count) -> std::string {
        try
        {
            (void)allocator.allocate(count);
            return "nothing";
        }
        catch (const std::bad_array_new_length &)
        {
            return "bad_array_new_length";
        }
        catch (const std::bad_alloc &)
        {
            return "bad_alloc";
        }
        catch (...)
        {
            return "something else";
        }
    };
    EXPECT_EQ(kind(SIZE_MAX / 4), "bad_array_new_length"); // more bytes than a size can count
    EXPECT_EQ(kind(PTRDIFF_MAX / 8 + 1), "bad_alloc");     // countable, but more than any allocation
}

} // namespace
