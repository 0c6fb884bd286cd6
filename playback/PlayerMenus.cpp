#include "playback/PlayerMenus.h"

#include "playback/PlayerIds.h"
#include "playback/PlayerKeys.h"
#include "skin/SkinChoice.h"

#include <QActionGroup>

namespace {

QAction* AddCommand(QMenu& menu, const char* text, int command, bool enabled = true) {
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setData(command);
    action->setEnabled(enabled);
    return action;
}

QAction* AddCheck(QMenu& menu, const char* text, int command, bool checked, bool enabled = true) {
    QAction* action = AddCommand(menu, text, command, enabled);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

// The entry's key in the menu's key column (after a tab), where it has one;
// the key is the window's, so the menu only names it.
QAction* WithKey(QAction* action, PlayerKey key) {
    action->setText(action->text() + QLatin1Char('\t') + CPlayerKeyMap::KeyText(key));
    return action;
}

}  // namespace

void BuildMainMenu(QMenu& menu, const PlayerMenuState& state) {
    menu.setObjectName(QStringLiteral("menu_%1").arg(IDR_MAIN_MENU));
    WithKey(AddCommand(menu, "播放/暂停", ID_MENU_PLAY_PAUSE), PlayerKey::PlayPause);
    AddCommand(menu, "停止", IDC_STOP);
    WithKey(AddCommand(menu, "上一首", IDC_PREVIOUS, state.hasPanel), PlayerKey::Previous);
    WithKey(AddCommand(menu, "下一首", IDC_NEXT, state.hasPanel), PlayerKey::Next);
    menu.addSeparator();

    QMenu* modes = menu.addMenu(QString::fromUtf8("播放模式"));
    modes->setEnabled(state.hasPanel);
    auto* group = new QActionGroup(modes);
    for (int mode = kModeSingle; mode <= kModeRepeatList; ++mode)
        group->addAction(AddCheck(*modes, kPlayModeTexts[mode], kCmdModeFirst + mode, state.playMode == mode));
    WithKey(AddCheck(menu, "静音", IDC_MUTE, state.muted), PlayerKey::Mute);
    menu.addSeparator();

    AddCommand(menu, "播放列表", ID_PLAY_LIST, state.hasPanel);
    AddCommand(menu, "乐库", ID_LIBRARY, state.hasBrowser);
    WithKey(AddCommand(menu, "歌词", ID_LYRIC, state.hasLyric), PlayerKey::ToggleLyric);
    AddCommand(menu, "添加乐库歌曲", ID_ADD_LIBRARY_SONGS, state.hasPanel && !state.recommendationsShown);
    AddCheck(menu, "总在最前", ID_TOP_MOST, state.topMost);
    menu.addSeparator();

    AddCommand(menu, "注销(&U)", ID_LOG_OUT, state.hasPanel);
    AddCommand(menu, "使用帮助", ID_HELP_PAGE);
    AddCommand(menu, "意见反馈", ID_FEEDBACK_PAGE);
    AddCommand(menu, "关于", ID_ABOUT);
    menu.addSeparator();
    AddCommand(menu, "隐藏主界面", ID_HIDE_PLAYER);
    AddCommand(menu, "退出", ID_EXIT);
}

void BuildSkinMenu(QMenu& menu, const std::string& skin) {
    menu.setObjectName(QStringLiteral("menu_%1").arg(IDR_SKIN_MENU));
    auto* group = new QActionGroup(&menu);
    group->addAction(AddCheck(menu, "乐库经典", ID_SKIN_CLASSIC, skin == kSkinClassic));
    group->addAction(AddCheck(menu, "橙色梦幻", ID_SKIN_ORANGE, skin == kSkinOrange));
}

int MenuCommand(const QAction* action) { return action ? action->data().toInt() : 0; }
