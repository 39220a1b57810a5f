#include "WinTestSupport.h"

#include "gui/InputText.h"

#include <gtest/gtest.h>

#include <thread>

using namespace wintest;

namespace
{

constexpr char16_t kCaption[] = u"KV2 - テスト入力";

// Plays the user on another thread: waits for the dialog, then runs `act` on it. When the dialog
// never shows or never goes, the test's own message loop is ended instead, so that a fault fails the test
// rather than hanging it.
class DialogUser
{
  public:
    explicit DialogUser(std::function<void(HWND dialog)> act)
        : m_testThread(GetCurrentThreadId()), m_thread([this, act = std::move(act)] {
              HWND dialog = nullptr;
              WaitUntil(
                  [&] {
                      dialog = FindWindowW(L"KV2InputText", W(std::u16string(kCaption)));
                      return dialog != nullptr && IsWindowVisible(dialog);
                  },
                  std::chrono::seconds(20));
              if (dialog == nullptr)
              {
                  m_missed = true;
                  PostThreadMessageW(m_testThread, WM_QUIT, 0, 0);
                  return;
              }
              act(dialog);
              // The answer must end the dialog's loop, also when it came in a message sent from here.
              if (!WaitUntil([&] { return !IsWindow(dialog); }, std::chrono::seconds(10)))
              {
                  m_stuck = true;
                  PostThreadMessageW(m_testThread, WM_QUIT, 0, 0);
              }
          })
    {
    }
    ~DialogUser()
    {
        m_thread.join();
        EXPECT_FALSE(m_missed) << "the dialog never showed";
        EXPECT_FALSE(m_stuck) << "the dialog stayed after its answer";
    }

  private:
    const DWORD m_testThread;
    bool m_missed = false;
    bool m_stuck = false;
    std::thread m_thread;
};

HWND ChildWithClass(HWND dialog, const wchar_t *className, const std::u16string &text = {})
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (lstrcmpiW(name, className) == 0 && (text.empty() || WindowText(child) == text))
            return child;
    }
    return nullptr;
}

} // namespace

TEST(InputText, OkReturnsTheEditedText)
{
    std::u16string seen;
    std::u16string text = u"old title";
    {
        DialogUser user([&](HWND dialog) {
            HWND edit = ChildWithClass(dialog, L"Edit");
            seen = WindowText(edit);
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"新しいタイトル"));
            SendMessageW(ChildWithClass(dialog, L"Button", u"OK"), BM_CLICK, 0, 0);
        });
        EXPECT_TRUE(gui::InputText(kCaption, u"タイトルを入力してください", text));
    }
    EXPECT_EQ(seen, u"old title");
    EXPECT_EQ(text, u"新しいタイトル");
}

TEST(InputText, CancelAndEscapeLeaveTheTextUnchanged)
{
    const std::function<void(HWND)> users[] = {
        [](HWND dialog) { SendMessageW(ChildWithClass(dialog, L"Button", u"キャンセル"), BM_CLICK, 0, 0); },
        [](HWND dialog) {
            HWND edit = ChildWithClass(dialog, L"Edit");
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        },
        [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); },
    };
    for (const auto &act : users)
    {
        std::u16string text = u"keep";
        {
            DialogUser user(act);
            EXPECT_FALSE(gui::InputText(kCaption, u"prompt", text));
        }
        EXPECT_EQ(text, u"keep");
    }
}

TEST(InputText, EditHoldsAtMost255CharactersAllSelected)
{
    LRESULT limit = 0;
    DWORD selectionStart = 1, selectionEnd = 0;
    std::u16string text = u"selected";
    {
        DialogUser user([&](HWND dialog) {
            HWND edit = ChildWithClass(dialog, L"Edit");
            limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
            SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                         reinterpret_cast<LPARAM>(&selectionEnd));
            // Typing stops at the limit.
            SendMessageW(edit, EM_SETSEL, 0, -1);
            for (int i = 0; i < 300; ++i)
                SendMessageW(edit, WM_CHAR, L'x', 0);
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_TRUE(gui::InputText(kCaption, u"prompt", text));
    }
    EXPECT_EQ(limit, 255);
    EXPECT_EQ(selectionStart, 0u);
    EXPECT_EQ(selectionEnd, 8u);
    EXPECT_EQ(text, std::u16string(255, u'x'));
}

TEST(InputText, LayoutFollowsTheDialogFont)
{
    RECT okPlace{}, cancelPlace{}, editPlace{}, client{};
    {
        DialogUser user([&](HWND dialog) {
            const auto place = [&](HWND child) {
                RECT r;
                GetWindowRect(child, &r);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
                return r;
            };
            okPlace = place(ChildWithClass(dialog, L"Button", u"OK"));
            cancelPlace = place(ChildWithClass(dialog, L"Button", u"キャンセル"));
            editPlace = place(ChildWithClass(dialog, L"Edit"));
            GetClientRect(dialog, &client);
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        std::u16string text;
        gui::InputText(kCaption, u"prompt", text);
    }
    // Buttons of equal size side by side, 15 pixels below the edit; the client ends 13 pixels below them.
    EXPECT_EQ(okPlace.top, editPlace.bottom + 15);
    EXPECT_EQ(cancelPlace.top, okPlace.top);
    EXPECT_EQ(okPlace.right - okPlace.left, cancelPlace.right - cancelPlace.left);
    EXPECT_LT(okPlace.right, cancelPlace.left);
    EXPECT_EQ(client.bottom, okPlace.bottom + 13);
    // The edit (164 units) and the client (180 units) keep their proportion.
    EXPECT_NEAR((editPlace.right - editPlace.left) * 180.0 / 164.0, client.right, 3.0);
}
