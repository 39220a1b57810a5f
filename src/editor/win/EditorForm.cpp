#include "editor/win/EditorForm.h"

#include "common/ScopeExit.h"
#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/IniFile.h"
#include "common/win/Shell.h"
#include "common/win/SystemLibrary.h"
#include "common/win/SystemFonts.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"
#include "editor/win/FileTypeRegistry.h"
#include "editor/win/ShortcutFiles.h"
#include "gui/MessagePump.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/WindowInfo.h"
#include "startup/TaskFile.h"
#include "ui/ShortcutText.h"
#include "ui/win/HookHotKey.h"
#include "ui/win/KeyNames.h"
#include "startup/win/SystemFileProbe.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <map>

namespace editor
{

namespace
{

using common::win::U;
using common::win::W;

constexpr wchar_t kCaption[] = L"KV2 / Orvane";
constexpr char16_t kTitleSuffix[] = u" - KV2C";
constexpr char16_t kUntitled[] = u"無題";
// A save of a file another program holds: this many attempts, this far apart.
constexpr int kSaveAttempts = 8;
constexpr DWORD kSaveRetryMilliseconds = 500;

// The controls in their tab order; a control's id is 100 and its index.
enum Control : std::size_t
{
    kProgramLabel,
    kProgram,
    kProgramBrowse,
    kProgramRunning,
    kArgumentsLabel,
    kArguments,
    kWorkDirLabel,
    kWorkDir,
    kWorkDirBrowse,
    kStyleLabel,
    kStyleNormal, // the radio buttons of a choice, in the order of its words
    kStyleMinimized,
    kStyleMaximized,
    kPriorityLabel,
    kPriorityNormal,
    kPriorityIdle,
    kPriorityHigh,
    kPriorityBelowNormal,
    kPriorityAboveNormal,
    kIconLabel,
    kIconPreview,
    kIcon,
    kIconNumberLabel,
    kIconNumber,
    kIconPick,
    kHotKeyLabel,
    kHotKey,
    kHotKeySet,
    kHotKeyClear,
    kHotKeyTaken,
    kExecute,
    kShortcutsLabel,
    kDesktop,
    kStartMenu,
    kStartup,
    kStartupNote,
    kFileTypesLabel,
    kFileTypesBox,
    kTestLaunch,
    kSave,
    kSaveAs,
    kClose,
    kControlCount,
};
constexpr UINT kFirstId = 100;
// Posted by the window to itself when it shows: what needs the shell is shown then.
constexpr UINT kShowShellParts = WM_APP + 1;
static_assert(kControlCount == EditorForm::kControls);

struct ControlKind
{
    const wchar_t *className;
    const char16_t *text;
    DWORD style;
};

constexpr DWORD kField = WS_TABSTOP | ES_AUTOHSCROLL;
// A label starts a group: the radio buttons before it end there.
constexpr DWORD kLabel = WS_GROUP | SS_LEFT;
constexpr DWORD kFirstChoice = WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kChoice = BS_AUTORADIOBUTTON;

const ControlKind kKinds[kControlCount] = {
    {L"STATIC", u"プログラム(&P):", kLabel},
    {L"EDIT", u"", kField},
    {L"BUTTON", u"参照(&B)...", WS_TABSTOP | BS_PUSHBUTTON},
    {L"BUTTON", u"実行中(&G)...", WS_TABSTOP | BS_PUSHBUTTON},
    {L"STATIC", u"引数(&A):", kLabel},
    {L"EDIT", u"", kField},
    {L"STATIC", u"作業フォルダー(&W):", kLabel},
    {L"EDIT", u"", kField},
    {L"BUTTON", u"参照(&O)...", WS_TABSTOP | BS_PUSHBUTTON},
    {L"STATIC", u"ウィンドウ(&T):", kLabel},
    {L"BUTTON", u"通常", kFirstChoice},
    {L"BUTTON", u"最小化", kChoice},
    {L"BUTTON", u"最大化", kChoice},
    {L"STATIC", u"優先度(&R):", kLabel},
    {L"BUTTON", u"通常", kFirstChoice},
    {L"BUTTON", u"低", kChoice},
    {L"BUTTON", u"高", kChoice},
    {L"BUTTON", u"通常以下", kChoice},
    {L"BUTTON", u"通常以上", kChoice},
    {L"STATIC", u"アイコン(&I):", kLabel},
    {L"STATIC", u"", SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL},
    {L"EDIT", u"", kField},
    {L"STATIC", u"番号(&N):", kLabel},
    {L"EDIT", u"", kField | ES_NUMBER},
    {L"BUTTON", u"選択(&H)...", WS_TABSTOP | BS_PUSHBUTTON},
    {L"STATIC", u"ホットキー:", kLabel},
    {L"EDIT", u"", ES_READONLY | ES_AUTOHSCROLL},
    {L"BUTTON", u"設定(&K)...", WS_TABSTOP | BS_PUSHBUTTON},
    {L"BUTTON", u"解除(&Z)", WS_TABSTOP | BS_PUSHBUTTON},
    {L"STATIC", u"他のプログラムが使用中のキーです", kLabel},
    {L"BUTTON", u"KV2 から起動する(&X)", WS_TABSTOP | BS_AUTOCHECKBOX},
    {L"STATIC", u"ショートカット:", kLabel},
    {L"BUTTON", u"デスクトップ(&D)", WS_TABSTOP | BS_AUTOCHECKBOX},
    {L"BUTTON", u"スタートメニュー(&M)", WS_TABSTOP | BS_AUTOCHECKBOX},
    {L"BUTTON", u"スタートアップ(&U)", WS_TABSTOP | BS_AUTOCHECKBOX},
    {L"STATIC", u"管理者権限で動くタスクは、Windows のサインイン時に起動されません。", kLabel},
    {L"STATIC", u"タスクファイル:", kLabel},
    {L"BUTTON", u"ダブルクリックで KV2 が開く(&F)", WS_TABSTOP | BS_AUTOCHECKBOX},
    {L"BUTTON", u"テスト起動(&L)", WS_TABSTOP | BS_PUSHBUTTON},
    {L"BUTTON", u"保存(&S)", WS_TABSTOP | BS_PUSHBUTTON},
    {L"BUTTON", u"名前を付けて保存(&E)...", WS_TABSTOP | BS_PUSHBUTTON},
    {L"BUTTON", u"閉じる", WS_TABSTOP | BS_PUSHBUTTON},
};

// The radio buttons of the two choices, in the order of kStyleWords and kPriorityWords.
constexpr std::size_t kStyleChoices[] = {kStyleNormal, kStyleMinimized, kStyleMaximized};
constexpr std::size_t kPriorityChoices[] = {kPriorityNormal, kPriorityIdle, kPriorityHigh,
                                            kPriorityBelowNormal, kPriorityAboveNormal};
static_assert(std::size(kStyleChoices) == std::tuple_size_v<std::remove_cvref_t<decltype(kStyleWords)>> &&
              std::size(kPriorityChoices) ==
                  std::tuple_size_v<std::remove_cvref_t<decltype(kPriorityWords)>>);

// Places in dialog units: left, top, width, height.
struct Place
{
    int left, top, width, height;
};

// Where a radio button stands in its row, after the field column's left edge, and its width (the
// button and its word), in dialog units.
struct ChoicePlace
{
    Control control;
    int left, width;
};
constexpr ChoicePlace kChoicePlaces[] = {
    {kStyleNormal, 0, 36},           {kStyleMinimized, 40, 44},       {kStyleMaximized, 88, 44},
    {kPriorityNormal, 0, 36},        {kPriorityIdle, 40, 28},         {kPriorityHigh, 72, 28},
    {kPriorityBelowNormal, 104, 52}, {kPriorityAboveNormal, 160, 52},
};

// The row each control stands in.
constexpr int kRows[kControlCount] = {
    0,  0,  0,  0,  1,  1, 2, 2, 2,    // program, arguments, folder
    3,  3,  3,  3,  4,  4, 4, 4, 4, 4, // window, priority
    5,  5,  5,  6,  6,  6,             // the icon
    7,  7,  7,  7,  8,                 // the hot key and whether another program holds it
    9,                                 // KV2 starts the program
    10, 10, 11, 12, 13,                // the shortcuts and the note for elevated tasks
    14, 14,                            // task files opened by a double click
    15, 15, 15, 15,                    // the buttons
};

Place PlaceOf(std::size_t control)
{
    constexpr int kRow = 18, kTop = 7, kLabelLeft = 7, kLabelWidth = 80, kFieldLeft = 90, kFieldWidth = 240;
    const int top = kTop + kRow * kRows[control];
    switch (control)
    {
    case kProgram:
        return {kFieldLeft, top, kFieldWidth - 100, 12};
    case kProgramBrowse:
        return {kFieldLeft + kFieldWidth - 96, top - 1, 46, 14};
    case kProgramRunning:
    case kWorkDirBrowse:
        return {kFieldLeft + kFieldWidth - 46, top - 1, 46, 14};
    case kWorkDir:
        return {kFieldLeft, top, kFieldWidth - 50, 12};
    case kHotKey:
        return {kFieldLeft, top, kFieldWidth - 100, 12};
    case kHotKeySet:
        return {kFieldLeft + kFieldWidth - 96, top - 1, 50, 14};
    case kHotKeyClear:
        return {kFieldLeft + kFieldWidth - 44, top - 1, 44, 14};
    case kHotKeyTaken:
        return {kFieldLeft, top - 4, kFieldWidth, 8};
    case kIconPreview:
        return {kFieldLeft, top - 1, 14, 14};
    case kIcon:
        return {kFieldLeft + 18, top, kFieldWidth - 18, 12};
    case kIconNumberLabel:
        return {kLabelLeft, top + 2, kLabelWidth, 8};
    case kIconNumber:
        return {kFieldLeft, top, 30, 12};
    case kIconPick:
        return {kFieldLeft + 34, top - 1, 56, 14};
    case kExecute:
        return {kFieldLeft, top + 1, kFieldWidth, 10};
    case kDesktop:
    case kStartMenu:
    case kStartup:
    case kFileTypesBox:
        return {kFieldLeft, top + 1, kFieldWidth, 10};
    case kStartupNote:
        return {kFieldLeft + 12, top - 4, kFieldWidth - 12, 16};
    case kTestLaunch:
        return {kLabelLeft, top + 4, 70, 14};
    case kSave:
        return {kFieldLeft, top + 4, 52, 14};
    case kSaveAs:
        return {kFieldLeft + 56, top + 4, 88, 14};
    case kClose:
        return {kFieldLeft + kFieldWidth - 52, top + 4, 52, 14};
    case kShortcutsLabel:
    case kFileTypesLabel:
        return {kLabelLeft, top + 2, kLabelWidth, 8};
    default:
        for (const ChoicePlace &choice : kChoicePlaces)
            if (choice.control == control)
                return {kFieldLeft + choice.left, top + 1, choice.width, 10};
        return kKinds[control].style == kLabel ? Place{kLabelLeft, top + 2, kLabelWidth, 8}
                                               : Place{kFieldLeft, top, kFieldWidth, 12};
    }
}

constexpr int kClientWidth = 337;
constexpr int kClientHeight = 7 + 18 * 15 + 4 + 14 + 7;

constexpr ShortcutPlace kPlaces[] = {ShortcutPlace::Desktop, ShortcutPlace::StartMenu,
                                     ShortcutPlace::Startup};
constexpr Control kPlaceBoxes[] = {kDesktop, kStartMenu, kStartup};
constexpr const char16_t *kPlaceNames[] = {u"デスクトップ", u"スタートメニュー", u"スタートアップ"};

template <std::size_t N>
std::size_t IndexOf(std::u16string_view word, const std::array<std::u16string_view, N> &words)
{
    return static_cast<std::size_t>(std::find(words.begin(), words.end(), word) - words.begin()) % N;
}

// The common file dialogs, loaded at their first use: the window shows sooner without their library.
template <typename Signature> Signature FileDialog(const char *name)
{
    static const common::win::SystemLibrary library(L"comdlg32.dll");
    const Signature function = library.Find<Signature>(name);
    if (function == nullptr)
        throw common::win::WinError(name, ERROR_PROC_NOT_FOUND);
    return function;
}

// A key as the user reads it: "[Section] Key".
std::u16string KeyName(const TaskKey &key)
{
    return u"[" + std::u16string(key.section) + u"] " + std::u16string(key.key);
}

bool IsReadOnly(const std::u16string &path)
{
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

} // namespace

std::vector<procwin::ProgramWindow> RunningProgramPicker::Listing()
{
    std::vector<procwin::ProgramWindow> windows = procwin::EveryProgramsWindows(m_programs);
    for (std::size_t i = 0; i < windows.size(); ++i)
        windows[i].title += u" (" + std::u16string(procwin::FileNameOf(m_programs[i])) + u")";
    return windows;
}

std::u16string RunningProgramPicker::ChosenProgram() const
{
    const auto line = std::find(ListBoxH().begin(), ListBoxH().end(), MTargetHandle);
    return MTargetHandle == nullptr || line == ListBoxH().end() ? std::u16string()
                                                                : m_programs[line - ListBoxH().begin()];
}

EditorForm::EditorForm(std::u16string path) : m_path(std::move(path))
{
    CreateParams params{};
    params.className = L"KV2CEditor";
    params.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    params.exStyle = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;
    Create(params);
    Layout();
    Open();
    // The icon, the shortcuts and the file types come next, as the window's first message: the shell
    // they need is loaded after the window shows (slow folders, a program on a network share, Wine's
    // loading of the shell's libraries), and before the user can click anything.
    PostMessageW(Handle(), kShowShellParts, 0, 0);
    ShowWindow(Handle(), SW_SHOW);
    SetFocus(m_controls[kProgram]);
}

bool EditorForm::Settled() const
{
    return m_shellPartsShown;
}

void EditorForm::ShowShellParts()
{
    if (m_shellPartsShown)
        return;
    m_shellPartsShown = true;
    ShowIcon();
    ShowShortcuts();
    ShowFileTypes();
}

// Each control made at its place (moving the controls once more costs the start a few milliseconds).
void EditorForm::Layout()
{
    m_font.Reset(common::win::CreateSystemFont(common::win::SystemFont::Message, Dpi()));
    const SIZE units = gui::DialogUnits(static_cast<HFONT>(m_font.Get()));
    const auto x = [&](int n) { return MulDiv(n, units.cx, 4); };
    const auto y = [&](int n) { return MulDiv(n, units.cy, 8); };
    for (std::size_t i = 0; i < kControlCount; ++i)
    {
        const Place place = PlaceOf(i);
        if (m_controls[i] != nullptr)
            MoveWindow(m_controls[i], x(place.left), y(place.top), x(place.width), y(place.height), TRUE);
        else
        {
            const ControlKind &kind = kKinds[i];
            m_controls[i] = CreateWindowExW(
                kind.className == std::wstring_view(L"EDIT") ? WS_EX_CLIENTEDGE : 0, kind.className,
                W(kind.text), WS_CHILD | WS_VISIBLE | kind.style, x(place.left), y(place.top), x(place.width),
                y(place.height), Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + i)),
                GetModuleHandleW(nullptr), nullptr);
            if (m_controls[i] == nullptr)
                throw common::win::WinError("CreateWindowExW");
        }
        SendMessageW(m_controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    }
    SetClientSize(x(kClientWidth), y(kClientHeight));
}

void EditorForm::OnDpiChanged()
{
    Layout();
}

void EditorForm::Open()
{
    common::IniDocument file;
    const DWORD attributes = m_path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(W(m_path));
    if (attributes != INVALID_FILE_ATTRIBUTES)
    {
        try
        {
            file = common::win::LoadIniFile(m_path);
        }
        catch (const std::exception &error)
        {
            Ask(m_path + u"を読めませんでした。\r\n" + common::Utf8ToUtf16(error.what()), MB_OK | MB_ICONWARNING);
        }
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        Ask(m_path + u"は読み取り専用です。\r\n変更は「名前を付けて保存」で別のファイルに保存できます。",
            MB_OK | MB_ICONINFORMATION);
    const ReadTask read = ReadTaskFields(file);
    m_openedRaw = RawKeysOf(file);
    m_opened = read.fields;
    ShowFields(read.fields);
    ShowTitle();
    if (m_shellPartsShown)
        ShowShortcuts();
    ShowHotKeyTaken();
    if (!read.unreadable.empty())
    {
        std::u16string keys;
        for (const TaskKey &key : read.unreadable)
            keys += u"\r\n" + KeyName(key);
        Ask(u"次の値は KV2 が読めない形のため、表示していません (変更しなければそのまま残ります)。" + keys,
            MB_OK | MB_ICONINFORMATION);
    }
}

void EditorForm::ShowFields(const TaskFields &fields)
{
    const std::pair<Control, const std::u16string *> texts[] = {
        {kProgram, &fields.program}, {kArguments, &fields.arguments}, {kWorkDir, &fields.workDir},
        {kIcon, &fields.iconFile},   {kHotKey, &fields.hotKey},
    };
    {
        // The icon is looked up once for all three of its fields, not at each field's change.
        m_filling = true;
        const common::ScopeExit filled([this] { m_filling = false; });
        for (const auto &[control, text] : texts)
            SetWindowTextW(m_controls[control], W(*text));
        SetWindowTextW(m_controls[kIconNumber], W(common::DecimalText(fields.iconIndex)));
    }
    if (m_shellPartsShown)
        ShowIcon();
    Choose(kStyleChoices, IndexOf(fields.style, kStyleWords));
    Choose(kPriorityChoices, IndexOf(fields.priority, kPriorityWords));
    SendMessageW(m_controls[kExecute], BM_SETCHECK, fields.execute ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EditorForm::Choose(std::span<const std::size_t> choices, std::size_t index)
{
    // A radio button takes the Tab key's stop with its check. Only a button that changes is told: each
    // change costs the start a restyled and redrawn button.
    for (std::size_t i = 0; i < choices.size(); ++i)
    {
        const HWND button = m_controls[choices[i]];
        const WPARAM check = i == index ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(button, BM_GETCHECK, 0, 0)) != check)
            SendMessageW(button, BM_SETCHECK, check, 0);
    }
}

std::size_t EditorForm::Chosen(std::span<const std::size_t> choices) const
{
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (SendMessageW(m_controls[choices[i]], BM_GETCHECK, 0, 0) == BST_CHECKED)
            return i;
    return 0;
}

TaskFields EditorForm::Fields() const
{
    TaskFields fields;
    fields.program = procwin::WindowText(m_controls[kProgram]);
    fields.arguments = procwin::WindowText(m_controls[kArguments]);
    fields.workDir = procwin::WindowText(m_controls[kWorkDir]);
    fields.iconFile = procwin::WindowText(m_controls[kIcon]);
    fields.iconIndex = common::ParseInt32(procwin::WindowText(m_controls[kIconNumber])).value_or(0);
    fields.hotKey = procwin::WindowText(m_controls[kHotKey]);
    fields.style = kStyleWords[Chosen(kStyleChoices)];
    fields.priority = kPriorityWords[Chosen(kPriorityChoices)];
    fields.execute = SendMessageW(m_controls[kExecute], BM_GETCHECK, 0, 0) == BST_CHECKED;
    return fields;
}

void EditorForm::ShowShortcuts()
{
    const ShortcutTarget target = ShortcutTargetFor(m_path, common::win::ProgramFolder());
    for (std::size_t i = 0; i < std::size(kPlaces); ++i)
    {
        const FoundShortcut found =
            m_path.empty() ? FoundShortcut::None : FindShortcut(kPlaces[i], m_path, target);
        m_shortcutsShown[i] = found == FoundShortcut::Ours || found == FoundShortcut::OursElsewhere;
        SendMessageW(m_controls[kPlaceBoxes[i]], BM_SETCHECK,
                     m_shortcutsShown[i] ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    const bool mayStart = MayStartWithWindows(m_path);
    EnableWindow(m_controls[kStartup], mayStart || m_shortcutsShown[2]);
    ShowWindow(m_controls[kStartupNote], mayStart ? SW_HIDE : SW_SHOW);
}

std::array<bool, 3> EditorForm::ShortcutBoxes() const
{
    std::array<bool, 3> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = SendMessageW(m_controls[kPlaceBoxes[i]], BM_GETCHECK, 0, 0) == BST_CHECKED;
    return boxes;
}

// After a save: the shortcuts the boxes ask for are written (again), the others of ours removed; a
// file of the same name that is not ours stays, and the user is told.
void EditorForm::ApplyShortcuts()
{
    const std::array<bool, 3> wanted = ShortcutBoxes();
    const TaskFields fields = Fields();
    const ShortcutTarget target = ShortcutTargetFor(m_path, common::win::ProgramFolder());
    std::u16string leftAlone, failed;
    for (std::size_t i = 0; i < std::size(kPlaces); ++i)
    {
        // An elevated task never starts with Windows from the Startup folder.
        const bool want = wanted[i] && (kPlaces[i] != ShortcutPlace::Startup || MayStartWithWindows(m_path));
        const std::u16string path = ShortcutPath(kPlaces[i], m_path);
        switch (PlanShortcut(want, FindShortcut(kPlaces[i], m_path, target)))
        {
        case ShortcutAction::Write:
            if (path.empty() ||
                !WriteShortcut(path, target, fields.iconFile.empty() ? fields.program : fields.iconFile,
                               fields.iconFile.empty() ? 0 : fields.iconIndex))
                failed += u"\r\n" + std::u16string(kPlaceNames[i]);
            break;
        case ShortcutAction::Remove:
            DeleteFileW(W(path));
            break;
        case ShortcutAction::LeaveForeign:
            leftAlone += u"\r\n" + path;
            break;
        case ShortcutAction::None:
            break;
        }
    }
    if (!leftAlone.empty())
        Ask(u"同じ名前の別のファイルがあるため、ショートカットを作りませんでした:" + leftAlone,
            MB_OK | MB_ICONINFORMATION);
    if (!failed.empty())
        Ask(u"次の場所にショートカットを作れませんでした:" + failed, MB_OK | MB_ICONWARNING);
    ShowShortcuts();
}

void EditorForm::ShowFileTypes()
{
    SendMessageW(m_controls[kFileTypesBox], BM_SETCHECK, TaskFilesOpenWithUs() ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

// Task files opened by a double click with the KV2 and KV2A of this folder, or no more: for this user,
// at once, apart from any task.
void EditorForm::ChooseFileTypes()
{
    if (SendMessageW(m_controls[kFileTypesBox], BM_GETCHECK, 0, 0) != BST_CHECKED)
        StopOpeningTaskFiles();
    else if (!OpenTaskFilesWithUs(common::win::ProgramFolder()))
        Ask(u"タスクファイルの関連付けを登録できませんでした。", MB_OK | MB_ICONWARNING);
    else
    {
        std::u16string chosen;
        for (const FileType &type : kFileTypes)
            if (const std::optional<std::u16string> other = OtherUserChoice(type))
                chosen += u"\r\n" + std::u16string(type.extension) + u": " + *other;
        if (!chosen.empty())
            Ask(u"次の種類のファイルには「プログラムから開く」で選ばれたプログラムがあり、Windows "
                u"はその選択を"
                u"変えません。KV2 "
                u"で開くには、ファイルを右クリックして「プログラムから開く」で選んでください。" +
                    chosen,
                MB_OK | MB_ICONINFORMATION);
    }
    ShowFileTypes();
}

// A program or shortcut chosen for the task: a shortcut becomes what it starts.
bool EditorForm::TakeProgram(const std::u16string &chosen)
{
    const std::optional<TaskFields> fields = FieldsForProgram(Fields(), chosen, startup::SystemFileProbe());
    if (!fields)
    {
        Ask(chosen +
                u"\r\nはファイルを起動しないショートカット (インストーラーのショートカット、ストアのアプリ、"
                u"フォルダー、Web のアドレスなど) のため、使えません。",
            MB_OK | MB_ICONWARNING);
        return false;
    }
    ShowFields(*fields);
    return true;
}

void EditorForm::BrowseProgram()
{
    wchar_t file[MAX_PATH] = {};
    const std::u16string current = procwin::WindowText(m_controls[kProgram]);
    current.copy(reinterpret_cast<char16_t *>(file), std::min<std::size_t>(current.size(), MAX_PATH - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter =
        L"プログラムとショートカット (*.exe;*.lnk)\0*.exe;*.lnk\0すべてのファイル (*.*)\0*.*\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    // A shortcut is read here, as KV2 reads it, not resolved by the dialog.
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;
    if (FileDialog<decltype(&GetOpenFileNameW)>("GetOpenFileNameW")(&dialog))
        TakeProgram(U(file));
}

// The program of a window the user picks among the running programs' windows.
void EditorForm::PickRunningProgram()
{
    if (!m_picker)
    {
        m_picker.emplace();
        // Kept above this window and opened over it, as a dialog is.
        SetWindowLongPtrW(m_picker->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Handle()));
        RECT editor{}, picker{};
        GetWindowRect(Handle(), &editor);
        GetWindowRect(m_picker->Handle(), &picker);
        SetWindowPos(m_picker->Handle(), nullptr,
                     (editor.left + editor.right - (picker.right - picker.left)) / 2,
                     (editor.top + editor.bottom - (picker.bottom - picker.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_picker->MTargetHandle = nullptr;
    if (m_picker->ShowModal(Handle()) == ui::TIRunFindForm::kResultOK && !m_picker->ChosenProgram().empty())
        TakeProgram(m_picker->ChosenProgram());
}

void EditorForm::BrowseFolder()
{
    BROWSEINFOW browse{};
    browse.hwndOwner = Handle();
    browse.lpszTitle = L"作業フォルダーを選んでください。";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    common::win::EnterComApartment();
    PIDLIST_ABSOLUTE chosen = common::win::shell::SHBrowseForFolderW(&browse);
    if (chosen == nullptr)
        return;
    wchar_t folder[MAX_PATH] = {};
    if (common::win::shell::SHGetPathFromIDListW(chosen, folder))
        SetWindowTextW(m_controls[kWorkDir], folder);
    common::win::shell::CoTaskMemFree(chosen);
}

// A task file dropped on the window opens it; a program or shortcut starts a new task for it.
void EditorForm::Dropped(const std::u16string &file)
{
    if (!MayLeave())
        return;
    if (startup::IsTaskFileExtension(file))
    {
        m_path = file;
        Open();
        return;
    }
    m_path.clear();
    m_openedRaw = {};
    m_opened = TaskFields{};
    ShowFields(m_opened);
    ShowTitle();
    ShowShortcuts();
    TakeProgram(file);
}

// The hot key as the key dialog captures it, another program's combination shown as taken.
void EditorForm::SetHotKey()
{
    if (!m_keyForm)
        m_keyForm.emplace();
    if (m_keyForm->ShowModal(Handle()) != ui::TKeyForm::kResultOK)
        return;
    SetWindowTextW(m_controls[kHotKey], W(m_keyForm->KeyText()));
    ShowHotKeyTaken();
}

// Whether another program holds the hot key: not a KV2 that runs this task with it, which holds it for
// the task itself.
void EditorForm::ShowHotKeyTaken()
{
    const std::u16string text = procwin::WindowText(m_controls[kHotKey]);
    bool taken = !text.empty() && ui::HotKeyTaken(Handle(), ui::TextToShortCut(text, ui::LayoutKeyNames()));
    if (taken && text == m_opened.hotKey && !m_opened.program.empty())
        taken = FindWindowW(L"TmainForm", W(u"KV2-" + m_opened.program)) == nullptr;
    ShowWindow(m_controls[kHotKeyTaken], taken ? SW_SHOWNA : SW_HIDE);
}

bool EditorForm::HotKeyShownTaken() const
{
    return IsWindowVisible(m_controls[kHotKeyTaken]) != FALSE;
}

// The icon the task shows: its icon file's, or its program's.
void EditorForm::ShowIcon()
{
    const TaskFields fields = Fields();
    const std::u16string &file = fields.iconFile.empty() ? fields.program : fields.iconFile;
    m_icon.Reset(file.empty()
                     ? nullptr
                     : common::win::GetAssociatedIcon(file, fields.iconFile.empty() ? 0 : fields.iconIndex));
    SendMessageW(m_controls[kIconPreview], STM_SETICON, reinterpret_cast<WPARAM>(m_icon.Get()), 0);
}

HICON EditorForm::ShownIcon() const
{
    return reinterpret_cast<HICON>(SendMessageW(m_controls[kIconPreview], STM_GETICON, 0, 0));
}

// The system's icon picker, on the icon file (or the program).
void EditorForm::PickIcon()
{
    using PickIconFunction = int(WINAPI *)(HWND, PWSTR, UINT, int *);
    static const auto pick = common::win::LoadedFunction<PickIconFunction>(L"shell32.dll", "PickIconDlg");
    if (pick == nullptr)
        return;
    const TaskFields fields = Fields();
    wchar_t file[MAX_PATH] = {};
    const std::u16string &current = fields.iconFile.empty() ? fields.program : fields.iconFile;
    current.copy(reinterpret_cast<char16_t *>(file), std::min<std::size_t>(current.size(), MAX_PATH - 1));
    int index = fields.iconFile.empty() ? 0 : fields.iconIndex;
    if (!pick(Handle(), file, MAX_PATH, &index))
        return;
    SetWindowTextW(m_controls[kIcon], file);
    SetWindowTextW(m_controls[kIconNumber], W(common::DecimalText(index)));
}

void EditorForm::ShowTitle()
{
    SetWindowTextW(Handle(), W((m_path.empty() ? std::u16string(kUntitled)
                                               : std::u16string(procwin::FileNameOf(m_path))) +
                               kTitleSuffix));
}

int EditorForm::Ask(const std::u16string &text, UINT style) const
{
    return MessageBoxW(Handle(), W(text), kCaption, style);
}

bool EditorForm::Save()
{
    return m_path.empty() ? SaveAs() : SaveTo(m_path);
}

bool EditorForm::SaveAs()
{
    wchar_t file[MAX_PATH] = {};
    const std::u16string name = m_path.empty() ? std::u16string(u"新しいタスク.KV2") : m_path;
    name.copy(reinterpret_cast<char16_t *>(file), std::min<std::size_t>(name.size(), MAX_PATH - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = L"タスクファイル (*.KV2;*.KV2A)\0*.KV2;*.KV2A\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"KV2";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN | OFN_HIDEREADONLY;
    if (!FileDialog<decltype(&GetSaveFileNameW)>("GetSaveFileNameW")(&dialog))
        return false;
    return SaveAs(U(file));
}

bool EditorForm::SaveAs(const std::u16string &path)
{
    // Another file: written whole from the fields, its own other sections kept.
    if (path != m_path)
    {
        m_openedRaw = {};
        m_opened = TaskFields{};
    }
    return SaveTo(path);
}

// KV2 as a shortcut starts it: saved first, then KV2.exe (KV2A.exe, asking for administrator rights,
// for an elevated task) with the quoted task.
void EditorForm::TestLaunch()
{
    if (!Save())
        return;
    const ShortcutTarget target = ShortcutTargetFor(m_path, common::win::ProgramFolder());
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = Handle();
    start.lpFile = W(target.program);
    start.lpParameters = W(target.arguments);
    start.lpDirectory = W(target.workDir);
    start.nShow = SW_SHOWNORMAL;
    if (!common::win::shell::ShellExecuteExW(&start) && GetLastError() != ERROR_CANCELLED)
        Ask(target.program + u"を起動できませんでした。", MB_OK | MB_ICONWARNING);
}

bool EditorForm::SaveTo(const std::u16string &path)
{
    // A save waits for a held file with messages running: a second one meanwhile is not started.
    if (m_saving)
        return false;
    m_saving = true;
    const common::ScopeExit done([this] { m_saving = false; });
    // The shortcut boxes say which shortcuts stay: shown from the files before anything is removed.
    ShowShellParts();
    const TaskFields edited = Fields();
    // What KV2 would not find is saved only when the user says so.
    std::u16string warnings;
    for (const SaveWarning warning : WarningsBeforeSave(edited, startup::SystemFileProbe()))
        warnings += warning == SaveWarning::NoProgram ? u"プログラムが指定されていません。\r\n"
                    : warning == SaveWarning::ProgramMissing
                        ? u"プログラム「" + edited.program + u"」が見つかりません。\r\n"
                        : u"作業フォルダー「" + edited.workDir + u"」が見つかりません。\r\n";
    if (HotKeyShownTaken())
        warnings += u"ホットキー「" + edited.hotKey + u"」は他のプログラムが使用中です。\r\n";
    if (!warnings.empty() &&
        Ask(warnings + u"\r\nこのまま保存しますか？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    // The user decides first, outside the lock, for every key somebody else changed since the opening.
    std::map<std::u16string, bool> keepOurs;
    try
    {
        const Merge preview = MergeEdits(common::win::LoadIniFile(path), m_openedRaw, m_opened, edited);
        for (const Conflict &conflict : preview.conflicts)
        {
            const std::u16string key = KeyName(conflict.key);
            keepOurs[key] = Ask(key + u" は開いた後に他のプログラムが変更しました。\r\n今の値: " +
                                    conflict.theirs.value_or(u"(なし)") + u"\r\n入力した値: " + conflict.ours +
                                    u"\r\n\r\n入力した値で上書きしますか？",
                                MB_YESNO | MB_ICONQUESTION) == IDYES;
        }
    }
    catch (const std::exception &)
    {
        // Read again under the lock below, which says what is wrong.
    }
    common::IniDocument saved;
    try
    {
        const auto update = [&](common::IniDocument &file) {
            Merge merge = MergeEdits(file, m_openedRaw, m_opened, edited);
            for (const Conflict &conflict : merge.conflicts)
            {
                if (keepOurs[KeyName(conflict.key)])
                    WriteKey(merge.file, conflict.key, conflict.ours);
            }
            file = std::move(merge.file);
            saved = file;
        };
        // A file another program holds for a moment (KV2 saving an option, a virus scanner) is tried
        // again for a few seconds, the window answering meanwhile.
        common::win::SaveResult result = common::win::UpdateIniFile(path, update);
        for (int attempt = 1; attempt < kSaveAttempts && result == common::win::SaveResult::Held; ++attempt)
        {
            if (gui::PumpUntil(nullptr, {.timeout = kSaveRetryMilliseconds}) == gui::PumpEnd::Quit)
                break;
            result = common::win::UpdateIniFile(path, update);
        }
        if (result == common::win::SaveResult::Held)
        {
            Ask(path + u"は他のプログラムが使用中のため、保存できませんでした。\r\nしばらくしてから保存してください。",
                MB_OK | MB_ICONWARNING);
            return false;
        }
    }
    catch (const std::exception &error)
    {
        // What the user typed stays in the window, and may go to another file.
        return Ask(path +
                       (IsReadOnly(path)
                            ? u"は読み取り専用のため、保存できませんでした。"
                            : u"に保存できませんでした。\r\n" + common::Utf8ToUtf16(error.what())) +
                       u"\r\n\r\n名前を付けて保存しますか？",
                   MB_YESNO | MB_ICONWARNING) == IDYES &&
               SaveAs();
    }
    m_path = path;
    m_openedRaw = RawKeysOf(saved);
    m_opened = ReadTaskFields(saved).fields;
    ShowTitle();
    ApplyShortcuts();
    return true;
}

// Nothing unsaved, or the user saved it or let it go.
bool EditorForm::MayLeave()
{
    if (Fields() == m_opened && ShortcutBoxes() == m_shortcutsShown)
        return true;
    const int answer = Ask(u"変更を保存しますか？", MB_YESNOCANCEL | MB_ICONQUESTION);
    return answer == IDNO || (answer == IDYES && Save());
}

void EditorForm::Close()
{
    if (!MayLeave())
        return;
    ShowWindow(Handle(), SW_HIDE);
    m_closed = true;
}

LRESULT EditorForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case kFirstId + kSave:
            Save();
            return 0;
        case kFirstId + kSaveAs:
            SaveAs();
            return 0;
        case kFirstId + kTestLaunch:
            TestLaunch();
            return 0;
        case kFirstId + kProgramBrowse:
            BrowseProgram();
            return 0;
        case kFirstId + kProgramRunning:
            PickRunningProgram();
            return 0;
        case kFirstId + kFileTypesBox:
            ChooseFileTypes();
            return 0;
        case kFirstId + kWorkDirBrowse:
            BrowseFolder();
            return 0;
        case kFirstId + kIconPick:
            PickIcon();
            return 0;
        case kFirstId + kProgram:
        case kFirstId + kIcon:
        case kFirstId + kIconNumber:
            if (HIWORD(wParam) == EN_CHANGE && !m_filling)
                ShowIcon();
            return 0;
        case kFirstId + kHotKeySet:
            SetHotKey();
            return 0;
        case kFirstId + kHotKeyClear:
            SetWindowTextW(m_controls[kHotKey], L"");
            ShowHotKeyTaken();
            return 0;
        case kFirstId + kClose:
        case IDCANCEL:
            Close();
            return 0;
        default:
            break;
        }
        break;
    case kShowShellParts:
        ShowShellParts();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        wchar_t file[MAX_PATH] = {};
        const UINT length = common::win::shell::DragQueryFileW(drop, 0, file, MAX_PATH);
        common::win::shell::DragFinish(drop);
        if (length > 0 && length < MAX_PATH)
            Dropped(U(file, length));
        return 0;
    }
    default:
        break;
    }
    return Window::OnMessage(message, wParam, lParam);
}

} // namespace editor
