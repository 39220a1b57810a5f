#include "ui/win/HookHotKey.h"

namespace ui
{

namespace
{

constexpr UINT kModAlt = 1;
constexpr UINT kModControl = 2;
constexpr UINT kModShift = 4;
static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT);

UINT ModifiersOf(const ShiftState &shift)
{
    return (shift.alt ? kModAlt : 0) | (shift.ctrl ? kModControl : 0) | (shift.shift ? kModShift : 0);
}

// Identifier of the short registration that asks whether a combination is free.
constexpr int kProbeId = 0xBFFF;

} // namespace

bool HotKeyTaken(HWND window, ShortCut value)
{
    unsigned keyCode = 0;
    ShiftState shift;
    ShortCutToKey(value, keyCode, shift);
    if (keyCode == 0)
        return false;
    if (!RegisterHotKey(window, kProbeId, ModifiersOf(shift), keyCode))
        return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
    UnregisterHotKey(window, kProbeId);
    return false;
}

THookHotKey::THookHotKey(HWND owner) : m_owner(owner)
{
    CreateParams params{};
    params.className = L"KV2HookHotKey";
    params.style = 0;
    params.owner = HWND_MESSAGE;
    Create(params);
}

THookHotKey::~THookHotKey()
{
    for (std::size_t i = 0; i < m_registeredCount; ++i)
        UnregisterHotKey(Handle(), m_registered[i]);
}

bool THookHotKey::Add(int index, ShortCut value)
{
    unsigned keyCode = 0;
    ShiftState shift;
    ShortCutToKey(value, keyCode, shift);
    if (m_registeredCount == kMostHotKeys || !RegisterHotKey(Handle(), index, ModifiersOf(shift), keyCode))
        return false;
    m_registered[m_registeredCount++] = index;
    return true;
}

bool THookHotKey::Delete(int index)
{
    if (!UnregisterHotKey(Handle(), index))
        return false;
    // Every registration under the index goes with it.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_registeredCount; ++i)
        if (m_registered[i] != index)
            m_registered[kept++] = m_registered[i];
    m_registeredCount = kept;
    return true;
}

bool THookHotKey::Change(int index, ShortCut value)
{
    const bool deleted = Delete(index);
    const bool added = Add(index, value);
    return deleted && added;
}

bool THookHotKey::Apply(int index, ShortCut value, bool on)
{
    return on ? Change(index, value) : Delete(index);
}

LRESULT THookHotKey::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_HOTKEY)
        return Window::OnMessage(message, wParam, lParam);
    if (m_onHotKey)
    {
        if (m_activate && m_owner != nullptr)
            SetForegroundWindow(m_owner);
        // A copy: the event may destroy this object while it runs. What it throws is parked with the
        // application by the window procedure.
        const HotKeyEvent onHotKey = m_onHotKey;
        onHotKey(static_cast<int>(wParam));
    }
    return 0;
}

} // namespace ui
