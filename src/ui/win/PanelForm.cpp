#include "ui/win/PanelForm.h"

#include "common/Text.h"
#include "common/win/CommonControls.h"
#include "common/win/SystemFonts.h"
#include "common/win/WinText.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "resources/resource.h"
#include "startup/ProcessState.h"
#include "ui/PanelGeometry.h"
#include "ui/win/PanelHint.h"
#include "ui/win/PanelImage.h"

#include <commctrl.h>
#include <windowsx.h>

namespace ui
{

using common::win::W;

namespace
{

constexpr wchar_t kPanelFormClassName[] = L"TPanelForm";

constexpr COLORREF kTopMostFrame = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kNormalFrame = RGB(0xFF, 0xFF, 0xFF);
constexpr int kPanelTransPercent = 50;
constexpr unsigned kHintDuration = 3000;
constexpr int kTargetIconSize = 256;

std::vector<gui::PopupMenu::Item> FrameMenuItems()
{
    using Item = gui::PopupMenu::Item;
    std::vector<Item> items;
    items.push_back(Item{.id = 0, .caption = u"大きさ", .submenu = true});
    for (int tag = 0; tag < kPanelSizeCount; ++tag)
        items.push_back(Item{.id = kPPSize0 + static_cast<UINT>(tag),
                             .caption = common::DecimalText(PanelIconSize(tag)),
                             .level = 1,
                             .checked = tag == kDefaultPanelSizeIndex,
                             .radio = true});
    items.push_back(Item{.id = kPPTop, .caption = u"常に最前面表示"});
    items.push_back(Item{.id = kPPPanelTrans, .caption = u"半透明", .checked = true});
    items.push_back(Item{.id = kPPHint, .caption = u"ヒントウィンドウを表示", .checked = true});
    return items;
}

bool CursorInside(HWND window)
{
    POINT cursor{};
    RECT place{};
    return GetCursorPos(&cursor) && GetWindowRect(window, &place) && PtInRect(&place, cursor);
}

} // namespace

TPanelForm::TPanelForm(PanelOwner &owner)
    : m_owner(owner), m_menu(FrameMenuItems()), m_timerHint(kHintDuration, [this] { HidePanelHint(); })
{
    Create({.className = kPanelFormClassName,
            .caption = u"",
            .style = WS_POPUP,
            .exStyle = WS_EX_TOOLWINDOW,
            .place = {0, 0, 0, 0}});
    FormCreate();
}

TPanelForm::~TPanelForm() = default;

void TPanelForm::FormCreate()
{
    procwin::SetToolWindow(Handle());
    m_image = std::make_unique<TPanelImage>(Handle(), static_cast<PanelPictureEvents &>(*this));
    CreateTooltip();

    m_owner.PanelFormCreate(*this);
    Proc_DispIcon(1);
    m_hintWindow = std::make_unique<TPanelHintWindow>(Handle());
}

// The two images are made when the panel is first drawn.
HICON TPanelForm::ShownIcon()
{
    if (!m_iconsLoaded)
    {
        m_iconsLoaded = true;
        m_waitingIcon.Reset(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KV2_WAIT), IMAGE_ICON,
                                          kTargetIconSize, kTargetIconSize, 0)));
        const startup::TaskDefinition &task = startup::Task();
        LoadTargetIcon(task.IconFile, task.IconIndex);
    }
    return m_shownIcon == 0 ? m_waitingIcon.Get() : m_targetIcon.Get();
}

void TPanelForm::LoadTargetIcon(const std::u16string &file, int index)
{
    const std::u16string name(common::Trim(file));
    HICON icon = nullptr;
    const UINT count = PrivateExtractIconsW(W(name), index, kTargetIconSize, kTargetIconSize, &icon, nullptr,
                                            1, LR_LOADFROMFILE);
    if (count != 1)
        return;
    if (icon == nullptr)
        icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KV2), IMAGE_ICON,
                                             kTargetIconSize, kTargetIconSize, 0));
    m_targetIcon.Reset(icon);
}

void TPanelForm::Proc_DispIcon(int index)
{
    m_shownIcon = index;
    if (m_image)
        InvalidateRect(m_image->Handle(), nullptr, FALSE);
}

void TPanelForm::ShowWaitingPicture(bool waiting)
{
    Proc_DispIcon(waiting ? 0 : 1);
}

// The picture's tool tip; the panel is made only when it is first shown, so a KV2 with the tray icon
// alone (the default) never loads the common controls.
void TPanelForm::CreateTooltip()
{
    if (!common::win::LoadCommonControls(ICC_WIN95_CLASSES))
        return;
    m_tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                        0, 0, 0, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (m_tooltip == nullptr)
        return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(m_image->Handle());
    tool.lpszText = const_cast<wchar_t *>(W(m_pictureHint));
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // Allows the tip's line breaks.
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 1000);
}

void TPanelForm::SetPictureHint(const std::u16string &hint)
{
    if (hint == m_pictureHint)
        return;
    m_pictureHint = hint;
    if (m_tooltip == nullptr)
        return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(m_image->Handle());
    tool.lpszText = const_cast<wchar_t *>(W(m_pictureHint));
    SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TPanelForm::Proc_PanelHint(const std::u16string &title)
{
    if (!m_options.Hint || !IsWindowVisible(Handle()) || title == MHintB)
        return;
    MHintB = title;
    ShowPanelHint();
}

void TPanelForm::ShowPanelHint()
{
    m_hintWindow->UseDpi(Dpi());
    const SIZE extent = m_hintWindow->Measure(MHintB);
    RECT place{};
    GetWindowRect(Handle(), &place);
    m_hintWindow->Activate(PanelHintRect(place.left, place.top, extent.cx, extent.cy, Dpi()), MHintB);
    m_timerHint.SetInterval(kHintDuration);
    m_timerHint.Start();
}

void TPanelForm::HidePanelHint()
{
    m_timerHint.Stop();
    if (m_hintWindow)
        m_hintWindow->Release();
}

void TPanelForm::SetPictureEnabled(bool enabled)
{
    m_pictureEnabled = enabled;
}

void TPanelForm::Proc_ImageWClick(bool doubleClick)
{
    m_doubleClick = doubleClick;
}

bool TPanelForm::PanelVisible() const
{
    return IsWindowVisible(Handle()) != FALSE;
}

void TPanelForm::SetPanelVisible(bool visible)
{
    if (visible)
    {
        FormShow();
        return;
    }
    HidePanelHint();
    ShowWindow(Handle(), SW_HIDE);
}

void TPanelForm::FormShow()
{
    procwin::CenterIfOffScreen(Handle());
    ApplyTopMost(); // shows the window
    m_mouseOver = false;
    if (m_options.Trans)
        procwin::SetTrans(Handle(), kPanelTransPercent);
    Layout();
    procwin::CenterIfOffScreen(Handle());
}

// The sizes are the user's at 96 DPI, drawn at the resolution of the monitor the panel is on.
void TPanelForm::Layout()
{
    const PanelGeometry geometry = PanelGeometryFor(m_options.Size, Dpi());
    SetWindowPos(Handle(), nullptr, 0, 0, geometry.formSide, geometry.formSide,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(m_image->Handle(), geometry.panelOffset, geometry.panelOffset, geometry.panelSide,
               geometry.panelSide, TRUE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanelForm::OnDpiChanged()
{
    Layout();
    if (m_hintWindow)
        HidePanelHint();
}

// Shows the window in its band without activating it: the user goes on in the window they are in (the
// target just started, another program).
void TPanelForm::ApplyTopMost()
{
    SetWindowPos(Handle(), m_options.MostTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

COLORREF TPanelForm::FrameColour() const noexcept
{
    return m_options.MostTop ? kTopMostFrame : kNormalFrame;
}

void TPanelForm::ApplyPanelOptions(const PanelOptions &options)
{
    SetWindowPos(Handle(), nullptr, options.Left, options.Top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_options = options;
}

void TPanelForm::ReadPanelOptions(PanelOptions &options) const
{
    RECT place{};
    if (GetWindowRect(Handle(), &place))
    {
        options.Left = place.left;
        options.Top = place.top;
    }
    options.Size = m_options.Size;
    options.MostTop = m_options.MostTop;
    options.Hint = m_options.Hint;
    options.Trans = m_options.Trans;
}

void TPanelForm::KeepOnTop()
{
    if (IsWindowVisible(Handle()) && m_options.MostTop)
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void TPanelForm::ClosePanel()
{
    HidePanelHint();
    ShowWindow(Handle(), SW_HIDE);
}

// The frame menu's marks are drawn from the panel's options as the menu opens.
void TPanelForm::ShowFrameMenuMarks()
{
    const int size = m_options.Size >= 0 && m_options.Size < kPanelSizeCount ? m_options.Size
                                                                              : kDefaultPanelSizeIndex;
    m_menu.CheckRadio(kPPSize0, kPPSize6, kPPSize0 + static_cast<UINT>(size));
    m_menu.SetChecked(kPPTop, m_options.MostTop);
    m_menu.SetChecked(kPPPanelTrans, m_options.Trans);
    m_menu.SetChecked(kPPHint, m_options.Hint);
}

void TPanelForm::OnFrameCommand(UINT id)
{
    if (id >= kPPSize0 && id <= kPPSize6)
        return PPSizeClick(static_cast<int>(id - kPPSize0));
    if (id == kPPTop)
    {
        m_options.MostTop = !m_options.MostTop;
        PPTopClick();
    }
    else if (id == kPPPanelTrans)
    {
        m_options.Trans = !m_options.Trans;
        PPTransClick();
    }
    else if (id == kPPHint)
    {
        m_options.Hint = !m_options.Hint;
    }
    m_owner.PanelOptionsChanged();
}

void TPanelForm::PPSizeClick(int tag)
{
    const bool visible = IsWindowVisible(Handle()) != FALSE;
    ShowWindow(Handle(), SW_HIDE);
    m_options.Size = tag;
    if (visible)
        FormShow();
    m_owner.PanelOptionsChanged();
}

void TPanelForm::PPTopClick()
{
    ApplyTopMost();
}

void TPanelForm::PPTransClick()
{
    procwin::SetTrans(Handle(), m_options.Trans ? kPanelTransPercent : 100);
}

void TPanelForm::MouseOver()
{
    if (m_mouseOver)
        return;
    m_mouseOver = true;
    if (m_options.Trans)
        procwin::SetTrans(Handle(), 100);
}

void TPanelForm::MouseAway()
{
    // Moving between the frame and the icon leaves one and enters the other: still over the panel.
    if (CursorInside(Handle()))
        return;
    m_mouseOver = false;
    if (m_options.Trans)
        procwin::SetTrans(Handle(), kPanelTransPercent);
}

void TPanelForm::ImageClick(bool doubleClick)
{
    if (!m_pictureEnabled || doubleClick != m_doubleClick)
        return;
    if (doubleClick)
        m_owner.TrayIconDblClick();
    else
        m_owner.TrayIconClick();
}

void TPanelForm::ImageMiddleClick()
{
    m_options.MostTop = !m_options.MostTop;
    PPTopClick();
    m_owner.PanelOptionsChanged();
}

void TPanelForm::ImageMenu(POINT screenPoint)
{
    if (!m_pictureEnabled)
        return;
    gui::TrackCommandMenu(m_owner.PPMenu(), screenPoint, m_owner.CommandWindow());
}

LRESULT TPanelForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_ERASEBKGND: {
        RECT area{};
        GetClientRect(Handle(), &area);
        common::win::UniqueGdiObject brush(CreateSolidBrush(FrameColour()));
        FillRect(reinterpret_cast<HDC>(wParam), &area, static_cast<HBRUSH>(brush.Get()));
        return 1;
    }
    case WM_LBUTTONDOWN: {
        // Dragged by its frame as by a title bar.
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(Handle(), &point);
        ReleaseCapture();
        SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
        return 0;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT)
        {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
            return TRUE;
        }
        break;
    case WM_RBUTTONUP: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(Handle(), &point);
        ShowFrameMenuMarks();
        const UINT command = static_cast<UINT>(TrackPopupMenu(
            m_menu.Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, Handle(), nullptr));
        if (command != 0)
            OnFrameCommand(command);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
            OnFrameCommand(LOWORD(wParam));
        return 0;
    case WM_MOUSEMOVE:
        MouseOver();
        TrackMouseLeave(Handle());
        return 0;
    case WM_MOUSELEAVE:
        MouseAway();
        return 0;
    case WM_MOVING: {
        // Snaps to the edges of the work area it is dragged near.
        auto *rect = reinterpret_cast<RECT *>(lParam);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST), &monitor))
        {
            const RECT &work = monitor.rcWork;
            const Rect snapped =
                SnapToArea({rect->left, rect->top, rect->right, rect->bottom},
                           {work.left, work.top, work.right, work.bottom}, kPanelSnapDistance);
            *rect = {snapped.left, snapped.top, snapped.right, snapped.bottom};
        }
        return TRUE;
    }
    case WM_EXITSIZEMOVE:
        // The end of a drag by the frame: the new place is kept at once.
        m_owner.PanelOptionsChanged();
        return 0;
    case WM_CLOSE:
        ClosePanel();
        return 0;
    default:
        break;
    }
    return Window::OnMessage(message, wParam, lParam);
}

} // namespace ui
