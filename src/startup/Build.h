// What tells the two programs built from these sources apart: KV2 runs with the user's rights, KV2A
// (built with KV2_ELEVATED) with administrator rights, without icon panel and error log.
#pragma once

namespace startup
{

#ifdef KV2_ELEVATED
constexpr bool kElevatedBuild = true;
constexpr char16_t kApplicationTitle[] = u"KV2A";
#else
constexpr bool kElevatedBuild = false;
constexpr char16_t kApplicationTitle[] = u"KV2";
#endif

// Both programs share one data folder and its files.
constexpr char16_t kDataFolderName[] = u"KV2";
constexpr char16_t kCompanyFolderName[] = u"Orvane";

// Caption of every message box the program shows.
constexpr char16_t kMessageCaption[] = u"KV2 / Orvane";

// Shown when the command line names no usable program.
constexpr char16_t kRefusalMessage[] = u"オプションが不正です。\r\n終了します。";

} // namespace startup
