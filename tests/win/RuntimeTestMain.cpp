// The entry of the test program built as the release programs are: it links only what it tests, since
// the optimiser's form of the other libraries would clash with their ordinary form at its link.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
