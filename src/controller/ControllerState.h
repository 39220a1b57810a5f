// What the controller is doing: one explicit phase instead of separate re-entry flags, so that the
// questions "may a start begin now?" and "may KV2 end because the target is gone?" have one answer.
//
// Phases nest because the waits are nested message loops: a restart holds its own close wait and its
// own start, and the end of a session holds the close wait of its "閉じる". Closing is final: once
// entered, every later question is answered as closing, whatever phase is left afterwards.
#pragma once

#include <array>
#include <cstddef>

namespace controller
{

class ControllerState
{
  public:
    enum class Phase
    {
        Idle,
        Starting,       // a start, from the launch to the attachment or the failure
        WaitingToClose, // "閉じる": the target was asked to close and is waited for
        Restarting,     // "再起動": its close wait and its start
        SessionEnding,  // the session ends: the target is closed, then KV2
        Closing,        // KV2 ends; final
    };

    // The innermost phase.
    Phase Current() const noexcept;

    // Enters `phase` when the current phase allows it (the table in the .cpp file); false otherwise,
    // and nothing changes. Entering Closing is allowed from every phase but Closing itself.
    bool Enter(Phase phase) noexcept;

    // Leaves `phase`, which must be the innermost one; the phase around it becomes current again.
    // Closing is never left.
    void Leave(Phase phase) noexcept;

    // True while `phase` is current or holds the current one.
    bool Within(Phase phase) const noexcept;

    bool Closing() const noexcept
    {
        return m_closing;
    }
    // A tray click, the hot key or "起動/表示" may start the target.
    bool MayStart() const noexcept;
    // The target is gone: without resident mode KV2 ends, unless a start or restart is under way.
    bool MayEndWithoutTarget() const noexcept;

  private:
    static constexpr std::size_t kDepth = 4;
    std::array<Phase, kDepth> m_phases{};
    std::size_t m_depth = 0; // phases entered; Idle when 0
    bool m_closing = false;
};

} // namespace controller
