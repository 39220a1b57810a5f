// What the resource compiler put into KV2.exe: the manifest, the version information (from UTF-8
// sources) and the application icon.
#include "WinTestSupport.h"

#include <gtest/gtest.h>

using namespace wintest;

namespace
{

class ProgramResources : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_module.Reset(LoadLibraryExW(W(Program()), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(m_module);
    }

    static std::u16string Program()
    {
        return BinFolder() + u"\\KV2.exe";
    }

    std::string Manifest() const
    {
        HRSRC found = FindResourceW(m_module.Get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
        if (found == nullptr)
            return {};
        const auto *data = static_cast<const char *>(LockResource(LoadResource(m_module.Get(), found)));
        return std::string(data, SizeofResource(m_module.Get(), found));
    }

    common::win::UniqueModule m_module;
};

} // namespace

TEST_F(ProgramResources, ManifestAsksForUserRightsCommonControlsAndPerMonitorDpi)
{
    const std::string manifest = Manifest();
    const char *required[] = {
        R"(level="asInvoker")",
        R"(uiAccess="false")",
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        "<ws2005:dpiAware>true/pm</ws2005:dpiAware>",
        "PerMonitorV2",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // Windows 10 and 11
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // Windows 7
    };
    for (const char *text : required)
        EXPECT_NE(manifest.find(text), std::string::npos) << text;
}

TEST_F(ProgramResources, VersionInformationKeepsItsJapaneseText)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(W(Program()), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(W(Program()), 0, size, info.data()));
    wchar_t *value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\FileDescription",
                               reinterpret_cast<void **>(&value), &length));
    EXPECT_EQ(U(value), u"KV2 - 常駐型プログラムランチャー");
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\OriginalFilename",
                               reinterpret_cast<void **>(&value), &length));
    EXPECT_EQ(U(value), u"KV2.exe");
}

TEST_F(ProgramResources, ApplicationIconComesInEverySize)
{
    for (int size : {16, 24, 32, 48, 64, 128, 256})
    {
        common::win::UniqueIcon icon(static_cast<HICON>(
            LoadImageW(m_module.Get(), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        ASSERT_TRUE(icon) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}
