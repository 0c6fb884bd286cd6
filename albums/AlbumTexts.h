#pragma once
// What the album logic shows and names (UTF-8 here; shown as CP936 through
// Cp936()).

#include <string>

inline constexpr const char* kBusyText = "缓存中...请稍候！";
inline constexpr const char* kEmptyLogonText = " 很抱歉，您输入的Velora登录名或密码为空。";
inline constexpr const char* kDefaultAlbumName = "我的专辑";
inline constexpr const char* kNewAlbumMenuText = "新建专辑";
inline constexpr const char* kTooManyAlbumsText = "专辑数量已达最大上限！";
inline constexpr const char* kTooManySongsText = "每张专辑最多能包含50首歌曲！";
inline constexpr const char* kNoAlbumSelectedText = "请选中一个专辑！";
inline constexpr const char* kEmptyPlayListText = "播放列表中目前没有歌曲！";
inline constexpr const char* kNoSongSelectedText = "请选择需要保存的歌曲！";
inline constexpr const char* kSavingOrderText = "保存歌曲顺序有调整的专辑，请稍后！";

// The text of an album item and of an album in the save-to menu: the name
// (fitted to its room by the caller) and the number of songs.
inline std::string AlbumLabel(const std::string& fittedName, int songCount) {
    return fittedName + "( " + std::to_string(songCount) + " )";
}
