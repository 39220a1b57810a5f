#include "controller/win/MenuItems.h"

#include "controller/MenuModel.h"

namespace controller
{

std::vector<gui::PopupMenu::Item> ControllerMenuItems()
{
    using Item = gui::PopupMenu::Item;
    std::vector<Item> items;
    const auto add = [&](UINT id, const char16_t *caption, int level = 0) -> Item & {
        items.push_back(Item{.id = id, .caption = caption, .level = level});
        return items.back();
    };
    add(kPPAct, u"起動/表示");
    add(kPPPriority, u"基本優先度").submenu = true;
    items.back().enabled = false;
    const char16_t *priorities[] = {u"通常", u"低", u"高", u"通常以下", u"通常以上"};
    for (int tag = 0; tag < 5; ++tag)
    {
        Item &item = add(kPPPriority0 + static_cast<UINT>(tag), priorities[tag], 1);
        item.radio = true;
        item.checked = tag == 0;
    }
    add(kPPTrans, u"半透明").submenu = true;
    items.back().enabled = false;
    for (int tag = kTransItemCount; tag >= 1; --tag)
    {
        Item &item = add(kPPTrans10 - 1 + static_cast<UINT>(tag), u"", 1);
        item.caption = TransCaption(tag);
        item.radio = true;
    }
    add(kPPMAX, u"タイトルバー無しで最大化").enabled = false;
    add(kPPTitle, u"タイトルバー").submenu = true;
    add(kPPCaption, u"固定", 1);
    add(kPPEdit, u"編集", 1);
    add(kPPDefault, u"デフォルト", 1);
    add(kPPMostTop, u"最前面");
    add(kPPNonTaskBar, u"タスクバーに表示しない");
    add(kPPWheelClick, u"ホイールクリック").submenu = true;
    add(kPPWheelKeyEnabled1, u"シングルクリック　有効", 1);
    add(kPPWheelKeyEdit1, u"シングルクリック　キー", 1);
    add(0, u"-", 1);
    add(kPPWheelKeyEnabled2, u"ダブルクリック　有効", 1);
    add(kPPWheelKeyEdit2, u"ダブルクリック　キー", 1);
    add(0, u"-", 1);
    add(kPPMouseHookReset, u"マウスフックリセット", 1);
    add(kPPMinimize, u"最小化").checked = true;
    add(kPPLive, u"常駐").checked = true;
    add(kPPAutoRestart, u"自動再起動").submenu = true;
    const char16_t *restarts[] = {u"しない", u"異常終了したとき", u"終了したとき"};
    for (int mode = 0; mode < 3; ++mode)
    {
        Item &item = add(kPPAutoRestart0 + static_cast<UINT>(mode), restarts[mode], 1);
        item.radio = true;
        item.checked = mode == 0;
    }
    add(kPPClickClick, u"ダブルクリック").checked = true;
    add(kPPPosSize, u"位置、大きさ").checked = true;
    add(kPPWExec, u"二重起動禁止");
    add(0, u"-");
    add(kPPKV2File, u"編集");
    add(kPPDisplay, u"トレイアイコン/アイコンウィンドウ").submenu = true;
    const char16_t *displays[] = {u"トレイアイコン", u"アイコンウィンドウ",
                                  u"トレイアイコン/アイコンウィンドウ"};
    for (int tag = 0; tag < 3; ++tag)
    {
        Item &item = add(kPPDisplay0 + static_cast<UINT>(tag), displays[tag], 1);
        item.radio = true;
        item.checked = tag == 0;
    }
    add(0, u"-");
    add(kPPExit, u"閉じる").enabled = false;
    add(kPPReStart, u"再起動").enabled = false;
    add(kPPTERMINATE, u"強制終了").enabled = false;
    add(kPPModify, u"修正");
    add(0, u"-");
    add(kPPKV2Close, u"を閉じる");
    add(kPPClose, u"終了");
    return items;
}

} // namespace controller
