// The Windows test programs use the Unicode entry point like the product.
#include "WinTestSupport.h"

#include <gtest/gtest.h>

namespace
{

// Each test starts without the programs that an earlier one may have left running.
class LeftoverPrograms : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo &) override
    {
        wintest::EndLeftoverPrograms();
    }
};

} // namespace

int wmain(int argc, wchar_t **argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new LeftoverPrograms);
    return RUN_ALL_TESTS();
}
