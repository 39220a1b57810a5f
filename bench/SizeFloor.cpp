// The floor under the programs' sizes: a program built as KV2 is (static, the same compiler, options
// and run-time library) that uses only what every program of this kind uses: strings, a vector, a map,
// a function and an exception of the kind KV2 throws. What KV2.exe has beyond its size is KV2's own.
#include "common/Error.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    std::vector<std::wstring> parts;
    std::map<std::wstring, int> counts;
    const std::function<void(const std::wstring &)> add = [&](const std::wstring &part) {
        parts.push_back(part);
        ++counts[part];
    };
    add(commandLine);
    try
    {
        if (parts.size() > 1)
            throw common::Error("more than one command line");
    }
    catch (const std::exception &error)
    {
        MessageBoxA(nullptr, error.what(), "KV2SizeFloor", MB_OK);
    }
    return static_cast<int>(counts.size());
}
