// The programs' own thread-local variables and static guards: each thread has its own values and its
// own exceptions in flight, and a static is made once however many threads reach it together.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace
{

struct ThreadStart
{
    const std::function<void(int)> *work;
    int index;
    HANDLE go;
};

DWORD WINAPI RunThread(void *parameter)
{
    const ThreadStart &start = *static_cast<ThreadStart *>(parameter);
    WaitForSingleObject(start.go, INFINITE);
    (*start.work)(start.index);
    return 0;
}

// Runs `work` on `count` threads that start together, and waits for all of them.
void OnThreads(int count, const std::function<void(int)> &work)
{
    const HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(go, nullptr);
    std::vector<ThreadStart> starts;
    for (int i = 0; i < count; ++i)
        starts.push_back({&work, i, go});
    std::vector<HANDLE> threads;
    for (ThreadStart &start : starts)
    {
        const HANDLE thread = CreateThread(nullptr, 0, RunThread, &start, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        threads.push_back(thread);
    }
    SetEvent(go);
    for (HANDLE thread : threads)
    {
        EXPECT_EQ(WaitForSingleObject(thread, 20000), WAIT_OBJECT_0);
        CloseHandle(thread);
    }
    CloseHandle(go);
}

template <int N> thread_local int t_numbered = N + 1;

struct alignas(64) Wide
{
    char text[100] = "first";
};
thread_local Wide t_wide;

// More variables than a thread's first table holds, so that tables grow.
template <int... N> std::vector<int *> Numbered(std::integer_sequence<int, N...>)
{
    return {&t_numbered<N>...};
}
std::vector<int *> AllNumbered()
{
    return Numbered(std::make_integer_sequence<int, 40>());
}

TEST(LeanThreads, EachThreadHasItsOwnThreadLocalValuesStartingFromTheirFirst)
{
    for (int *value : AllNumbered())
        *value = -1;
    t_wide.text[0] = 'F';
    std::atomic<int> wrong{0};
    OnThreads(4, [&](int index) {
        const std::vector<int *> values = AllNumbered();
        for (int n = 0; n < static_cast<int>(values.size()); ++n)
        {
            if (*values[n] != n + 1)
                ++wrong;
            *values[n] = 1000 * index + n;
        }
        if (reinterpret_cast<std::uintptr_t>(&t_wide) % 64 != 0 || t_wide.text[0] != 'f')
            ++wrong;
        Sleep(20); // the others write theirs meanwhile
        for (int n = 0; n < static_cast<int>(values.size()); ++n)
            if (*values[n] != 1000 * index + n)
                ++wrong;
    });
    EXPECT_EQ(wrong, 0);
    for (int *value : AllNumbered())
        EXPECT_EQ(*value, -1);
    EXPECT_EQ(t_wide.text[0], 'F');
}

TEST(LeanThreads, ExceptionsInFlightOnSeveralThreadsAreEachThreadsOwn)
{
    std::atomic<int> wrong{0};
    OnThreads(4, [&](int index) {
        for (int round = 0; round < 300; ++round)
        {
            try
            {
                throw std::runtime_error(std::to_string(index));
            }
            catch (const std::runtime_error &)
            {
                Sleep(0);
                try
                {
                    std::rethrow_exception(std::current_exception());
                }
                catch (const std::runtime_error &again)
                {
                    if (again.what() != std::to_string(index) || std::uncaught_exceptions() != 0)
                        ++wrong;
                }
            }
        }
    });
    EXPECT_EQ(wrong, 0);
}

std::atomic<int> g_slowMade{0};
int Slow()
{
    static const int value = [] {
        Sleep(100);
        return ++g_slowMade * 7;
    }();
    return value;
}

int Inner()
{
    static const int value = 5;
    return value + (g_slowMade > 100 ? 1 : 0);
}

int Outer()
{
    static const int value = Inner() * 2; // an initializer that makes another static
    return value;
}

int g_failingTries = 0;
int FailsFirst()
{
    static const int value = [] {
        if (++g_failingTries == 1)
            throw std::runtime_error("not yet");
        return 3;
    }();
    return value;
}

TEST(LeanThreads, AStaticIsMadeOnceWhateverReachesItFirst)
{
    std::atomic<int> wrong{0};
    OnThreads(4, [&](int) {
        if (Slow() != 7)
            ++wrong;
    });
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(g_slowMade, 1);

    EXPECT_EQ(Outer(), 10);

    EXPECT_THROW(FailsFirst(), std::runtime_error);
    EXPECT_EQ(FailsFirst(), 3); // a failed initializer is tried again
    EXPECT_EQ(FailsFirst(), 3);
    EXPECT_EQ(g_failingTries, 2);
}

} // namespace
