#include "controller/win/OptionStore.h"

#include "common/win/IniFile.h"
#include "controller/win/ErrorLog.h"
#include "gui/Application.h"
#include "startup/Build.h"
#include "startup/ProcessState.h"

#include <windows.h>

#include <utility>

namespace controller
{

using common::win::LoadIniFile;
using common::win::SaveResult;
using common::win::UpdateIniFile;

namespace
{

// A save that finds its file held open by another program is tried again this often, this many times.
constexpr unsigned kRetryInterval = 250;
constexpr int kRetries = 8;

} // namespace

OptionStore::OptionStore(std::function<TrayOptions()> current)
    : m_current(std::move(current)), m_timer(kRetryInterval, [this] { RetryTimer(); })
{
}

namespace
{

TrayOptions ReadOptions(const OptionLocation &location)
{
    TrayOptions options;
    const common::IniDocument file = LoadIniFile(location.file);
    LoadControllerOptions(file, location.section, options);
    LoadPanelOptions(file, location.section, options);
    return options;
}

} // namespace

std::optional<TrayOptions> ReadStoredOptions()
{
    try
    {
        return ReadOptions(OptionLocationFor(startup::Task()));
    }
    catch (...)
    {
        return std::nullopt;
    }
}

TrayOptions OptionStore::Load()
{
    const OptionLocation location = OptionLocationFor(startup::Task());
    TrayOptions options;
    try
    {
        options = ReadOptions(location);
    }
    catch (...)
    {
        m_unread = true;
        AppendErrorLog(startup::Paths().ErrorLogPath,
                       location.file + u"を読み込めません: " + ErrorMessage(std::current_exception()));
    }
    m_stored = options;
    return options;
}

void OptionStore::Save()
{
    m_retries = kRetries;
    m_timer.SetEnabled(!TrySave());
}

bool OptionStore::TrySave()
{
    const TrayOptions options = m_current();
    const OptionLocation location = OptionLocationFor(startup::Task());
    const bool saved = UpdateIniFile(location.file, [&](common::IniDocument &file) {
                           if (m_program)
                               file.Set(u"Program", u"Name", *m_program);
                           controller::SaveOptions(file, location.section, options, !startup::kElevatedBuild,
                                                   m_unread ? &m_stored : nullptr);
                       }) == SaveResult::Saved;
    if (saved)
        m_program.reset();
    // After a failed load the assumed values stay the reference: only what the user changed is written.
    if (saved && !m_unread)
        m_stored = options;
    return saved;
}

void OptionStore::RetryTimer()
{
    bool saved = false;
    try
    {
        saved = TrySave();
    }
    catch (...)
    {
        m_timer.SetEnabled(false);
        throw;
    }
    if (!saved && --m_retries > 0)
        return;
    m_timer.SetEnabled(false);
    if (!saved)
        LogUnsaved();
}

void OptionStore::LogUnsaved() const
{
    std::u16string unsaved = ChangedOptionsText(m_stored, m_current(), !startup::kElevatedBuild);
    if (m_program)
        unsaved = u"Name=" + *m_program + (unsaved.empty() ? u"" : u", ") + unsaved;
    AppendErrorLog(startup::Paths().ErrorLogPath, OptionLocationFor(startup::Task()).file +
                                                      u"を保存できません（他のプログラムが使用中です）: " +
                                                      unsaved);
}

void OptionStore::SaveProgram(std::u16string path)
{
    m_program = std::move(path);
    Save();
}

void OptionStore::SaveBeforeEnd() noexcept
{
    try
    {
        // The program is ending: a held file is waited for here, with no loop left to run the timer.
        m_timer.SetEnabled(false);
        for (int attempt = 0; attempt < kRetries; ++attempt)
        {
            if (TrySave())
                return;
            Sleep(kRetryInterval);
        }
        LogUnsaved();
    }
    catch (...)
    {
        gui::Application::Instance().ParkException(std::current_exception());
    }
}

} // namespace controller
