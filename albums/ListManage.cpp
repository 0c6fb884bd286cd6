#include "albums/ListManage.h"

#include "albums/AddTipDlg.h"
#include "albums/AlbumTexts.h"
#include "albums/PanelIds.h"
#include "common/Bitmap.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "model/AlbumList.h"
#include "service/ServiceHosts.h"
#include "skin/ScrollThumb.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"
#include "skin/controls/AlbumTreeModel.h"
#include "skin/controls/BitmapSlider.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/EditTrans.h"
#include "skin/controls/FocusMark.h"
#include "skin/controls/Label.h"
#include "skin/controls/ListCtrlEx.h"
#include "skin/controls/SkinButtonEx.h"
#include "skin/controls/SkinImage.h"
#include "skin/controls/SongListModel.h"
#include "skin/controls/VividTree.h"
#include "web/SongLink.h"
#include "web/WebEngine.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace {

// The buttons of the skin's "Btn100" … "Btn119", each with the command it
// sends (and is known by) and its tooltip.
struct St_ButtonSection {
    const char* section;
    int command;
    const char* tip;
};
constexpr St_ButtonSection kButtons[] = {
    {"Btn100", ID_TAB_PLAYLIST, ""},
    {"Btn101", ID_TAB_RECOMMEND, ""},
    {"Btn102", ID_TAB_ALBUMS, ""},
    {"Btn103", ID_CLOSE_PANEL, "关闭"},
    {"Btn104", ID_ADD_SONGS, "添加歌曲"},
    {"Btn105", ID_DELETE_MENU, "删除"},
    {"Btn106", ID_SORT_MENU, "排序"},
    {"Btn107", ID_MODE_MENU, "播放模式"},
    {"Btn108", ID_SAVE_MENU, "保存到专辑"},
    {"Btn109", ID_SIGN_IN, "登录"},
    {"Btn110", ID_REFRESH_RECOMMEND, "刷新"},
    {"Btn111", ID_NEW_ALBUM, "创建专辑"},
    {"Btn112", ID_GO_RECOMMEND, "进入随意听"},
    {"Btn113", ID_GO_SEARCH, "进入搜索"},
    {"Btn114", ID_FORGOT_PASS, "忘记密码"},
    {"Btn115", ID_REGISTER, "注册新帐号"},
    {"Btn116", ID_SCROLL_UP, "向上"},
    {"Btn117", ID_SCROLL_DOWN, "向下"},
    {"Btn118", ID_SCROLL_PAGE_UP, "向上翻页"},
    {"Btn119", ID_SCROLL_PAGE_DOWN, "向下翻页"},
};
constexpr int kTabs[] = {ID_TAB_PLAYLIST, ID_TAB_RECOMMEND, ID_TAB_ALBUMS};

// The labels, by the number of their "Static" section, and their texts.
struct St_LabelSection {
    int number;
    const char* text;
};
constexpr St_LabelSection kLabels[] = {
    {102, "播放列表中还没有歌曲"},  // page 1
    {104, "您还没有专辑，创建一张吧"},  // page 4
    {106, "用户名："},
    {109, "密　码："},
    {110, "记住密码"},
    {112, "自动登录"},
    {113, "登录Velora帐号，管理我的专辑"},
};
// The controls each page shows besides the tabs, the close button and the
// page pane.
bool ShownOn(int command, int page) {
    const bool listPage = page == kPagePlayList || page == kPageRecommend || page == kPageAlbumTree;
    switch (command) {
    case ID_ADD_SONGS:
    case ID_DELETE_MENU:
    case ID_SORT_MENU:
    case ID_MODE_MENU:
    case ID_SAVE_MENU: return page != kPageSignIn;
    case ID_REFRESH_RECOMMEND: return page == kPageRecommend || page == kPageRecommendLoading;
    case ID_SIGN_IN:
    case ID_FORGOT_PASS:
    case ID_REGISTER: return page == kPageSignIn;
    case ID_NEW_ALBUM: return page == kPageNoAlbum;
    case ID_GO_RECOMMEND:
    case ID_GO_SEARCH: return page == kPageEmptyPlayList;
    case ID_SCROLL_UP:
    case ID_SCROLL_DOWN:
    case ID_SCROLL_PAGE_UP:
    case ID_SCROLL_PAGE_DOWN: return listPage;
    default: return true;
    }
}

bool LabelShownOn(int number, int page) {
    switch (number) {
    case 102: return page == kPageEmptyPlayList;
    case 104: return page == kPageNoAlbum;
    default: return page == kPageSignIn;
    }
}

int TabOf(int page) {
    switch (page) {
    case kPagePlayList:
    case kPageEmptyPlayList: return ID_TAB_PLAYLIST;
    case kPageRecommend:
    case kPageRecommendLoading: return ID_TAB_RECOMMEND;
    default: return ID_TAB_ALBUMS;
    }
}

std::string StaticSection(int number) { return "Static" + std::to_string(number); }

// A check box of 14 × 14 pixels over the skin.
QCheckBox* MakeCheckBox(QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setFocusPolicy(Qt::NoFocus);
    box->setStyleSheet(QStringLiteral("QCheckBox { background: transparent; spacing: 0; }"
                                      "QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid #8a8a8a;"
                                      " background: #202020; }"
                                      "QCheckBox::indicator:checked { background: #8a8a8a;"
                                      " border: 3px solid #202020; outline: 1px solid #8a8a8a; }"));
    return box;
}

void BuildMenu(QMenu& menu, const PanelMenu& entries) {
    for (const St_MenuEntry& entry : entries) {
        if (entry.IsSeparator()) {
            menu.addSeparator();
            continue;
        }
        if (!entry.submenu.empty() || entry.command == 0) {
            QMenu* sub = menu.addMenu(FromAnsi(entry.text));
            sub->setEnabled(entry.enabled);
            BuildMenu(*sub, entry.submenu);
            continue;
        }
        QAction* action = menu.addAction(FromAnsi(entry.text));
        action->setData(entry.command);
        action->setEnabled(entry.enabled);
        if (entry.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (entry.isDefault) {
            QFont font = action->font();
            font.setBold(true);
            action->setFont(font);
        }
    }
}

}  // namespace

CListManage::CListManage(IPlayerFrame& frame, CMessageHandle frameTarget, IPanelPlayer& player,
                         const std::string& skinFolder, QWidget* owner, St_PanelOptions options)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint),
      CMessageTarget(this),
      m_frame(frame),
      m_frameTarget(std::move(frameTarget)),
      m_options(options),
      m_player(player),
      m_treeItems(static_cast<IAlbumTreeControl&>(*this)),
      m_logic(static_cast<IPanelView&>(*this), static_cast<IAlbumView&>(*this), player) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateControls();
    RegisterHandlers();

    m_advertTimer.setSingleShot(true);
    m_advertTimer.setInterval(kAdvertDelayMs);
    connect(&m_advertTimer, &QTimer::timeout, this, &CListManage::ShowAdvert);
    m_shadow.Create(this);

    SetSkin(skinFolder);
    // Before the first album list the tree holds the default album.
    St_Album favourite;
    favourite.albumName = Cp936("我喜欢的音乐");
    CAlbumList placeholder;
    placeholder.Add(favourite);
    m_treeItems.Rebuild(placeholder);

    m_logic.Initialise();
    m_advertTimer.start();
}

CListManage::~CListManage() {
    TRACE_SCOPE("~CListManage...");
    // The views let go of the lists before the lists go.
    m_pPlayList->SetSongList(nullptr);
    m_pRecommend->SetSongList(nullptr);
    m_pTree->SetAlbumList(nullptr);
    ReleasePagePane();
}

// ------------------------------------------------------------------ controls

void CListManage::CreateControls() {
    for (const St_ButtonSection& button : kButtons) {
        m_buttons[button.command] = new CSkinButtonEx(this, button.command);
    }
    for (const St_LabelSection& label : kLabels) {
        auto* caption = new CLabel(this, 0);
        caption->SetText(QString::fromUtf8(label.text));
        m_labels[label.number] = caption;
    }
    m_labels[110]->SetControlId(ID_REMEMBER_CAPTION);
    m_labels[112]->SetControlId(ID_AUTO_LOGON_CAPTION);
    for (int number : {110, 112}) m_labels[number]->SetLink(true, true);
    for (int number : {102, 104, 113}) m_labels[number]->SetHorizontalAlignment(Qt::AlignHCenter);
    m_pNoAlbum = new QLabel(this);
    m_pBusy = new QLabel(this);

    m_pPlayList = new CListCtrlEx(this, kListTemporary);
    m_pPlayList->SetSongList(&m_logic.PlayList().List());
    m_pPlayList->SetOwner(this);
    m_pRecommend = new CListCtrlEx(this, kListRecommend);
    m_pRecommend->SetSongList(&m_logic.Recommendations().List());
    m_pRecommend->SetOwner(this);
    m_pTree = new VividTree(this);
    m_pTree->SetAlbumList(&m_treeItems.Shown());
    m_pTree->SetOwner(this);
    for (CSkinnedItemView* view : {static_cast<CSkinnedItemView*>(m_pPlayList),
                                   static_cast<CSkinnedItemView*>(m_pRecommend), static_cast<CSkinnedItemView*>(m_pTree)})
        connect(view, &CSkinnedItemView::scrollChanged, this, [this] { FollowScroll(); });

    m_pScroll = new CBitmapSlider(this, IDC_SCROLL_BAR);
    m_pScroll->SetOrientation(true);

    m_pUser = new CEditTrans(this);
    m_pPass = new CEditTrans(this);
    m_pPass->setEchoMode(QLineEdit::Password);
    for (CEditTrans* edit : {m_pUser, m_pPass}) edit->setFrame(false);
    connect(m_pPass, &QLineEdit::returnPressed, this, [this] { OnCommand(ID_SIGN_IN); });
    m_pRemember = MakeCheckBox(this);
    m_pAutoLogon = MakeCheckBox(this);
    connect(m_pRemember, &QCheckBox::clicked, this, [this](bool checked) {
        if (!checked) m_logic.OnCommand(ID_REMEMBER_PASS);
    });
    connect(m_pAutoLogon, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked) m_logic.OnCommand(ID_AUTO_LOGON);
    });
    // The panel takes the keys while none of its controls has the focus.
    setFocusPolicy(Qt::StrongFocus);

    // Screen readers: the tabs have no tooltip, the views and boxes no text.
    setAccessibleName(QString::fromUtf8(kWindowTitle));
    const std::pair<QWidget*, const char*> named[] = {
        {m_buttons.at(ID_TAB_PLAYLIST), "播放列表"}, {m_buttons.at(ID_TAB_RECOMMEND), "随意听"},
        {m_buttons.at(ID_TAB_ALBUMS), "我的专辑"},   {m_pPlayList, "播放列表"},
        {m_pRecommend, "随意听"},                    {m_pTree, "我的专辑"},
        {m_pScroll, "滚动条"},                       {m_pUser, "用户名"},
        {m_pPass, "密码"}};
    for (const auto& [widget, name] : named) widget->setAccessibleName(QString::fromUtf8(name));
}

bool CListManage::focusNextPrevChild(bool next) { return MoveFocusInOrder(TabOrder(), focusWidget(), next); }

std::vector<QWidget*> CListManage::TabOrder() const {
    // The tabs, the page's form or view, then its toolbar; Tab skips
    // whatever the page hides.
    std::vector<QWidget*> order;
    for (int command : kTabs) order.push_back(m_buttons.at(command));
    order.insert(order.end(), {m_pUser, m_pPass, m_buttons.at(ID_SIGN_IN), m_buttons.at(ID_FORGOT_PASS),
                               m_buttons.at(ID_REGISTER), m_buttons.at(ID_NEW_ALBUM), m_buttons.at(ID_GO_RECOMMEND),
                               m_buttons.at(ID_GO_SEARCH), m_pPlayList, m_pRecommend, m_pTree});
    for (int command : {ID_ADD_SONGS, ID_DELETE_MENU, ID_SORT_MENU, ID_MODE_MENU, ID_SAVE_MENU, ID_REFRESH_RECOMMEND,
                        ID_SCROLL_UP, ID_SCROLL_DOWN, ID_SCROLL_PAGE_UP, ID_SCROLL_PAGE_DOWN, ID_CLOSE_PANEL})
        order.push_back(m_buttons.at(command));
    order.push_back(m_pScroll);
    return order;
}

void CListManage::RegisterHandlers() {
    SetMessageHandler(WM_PANEL_ALBUMNAMED, [this](WPARAM album, LPARAM) {
        m_logic.Editor().OnMyCreateAlbum(m_treeItems.AlbumItemAt(static_cast<int>(album)));
        return LRESULT{0};
    });
    SetMessageHandler(WM_PANEL_ALBUMRENAMED, [this](WPARAM album, LPARAM) {
        m_logic.Editor().OnRenameAlbum(m_treeItems.AlbumItemAt(static_cast<int>(album)));
        return LRESULT{0};
    });
    SetMessageHandler(WM_SLIDER_DRAGSTART, [this](WPARAM control, LPARAM) {
        if (control == IDC_SCROLL_BAR) OnScrollBarMoved();
        return LRESULT{0};
    });
    SetMessageHandler(WM_SLIDER_DRAGEND, [this](WPARAM control, LPARAM) {
        if (control == IDC_SCROLL_BAR) OnScrollBarMoved();
        return LRESULT{0};
    });
    SetMessageHandler(WM_SYSCOMMAND, [this](WPARAM command, LPARAM) {
        switch (command & 0xFFF0) {
        case SC_MINIMIZE: MinimizeWindow(); break;
        case SC_RESTORE: RestoreWindow(); break;
        case SC_CLOSE: ClosePanel(); break;
        default: break;
        }
        return LRESULT{0};
    });
    // The captions of the check boxes toggle them.
    SetCommandHandler(ID_REMEMBER_CAPTION, [this] { m_pRemember->click(); });
    SetCommandHandler(ID_AUTO_LOGON_CAPTION, [this] { m_pAutoLogon->click(); });
}

LRESULT CListManage::DefWindowProc(unsigned message, WPARAM wParam, LPARAM lParam) {
    // Buttons and menus: every other command is the logic's.
    if (message == WM_COMMAND) {
        m_logic.OnCommand(static_cast<int>(wParam));
        return 0;
    }
    return CMessageTarget::DefWindowProc(message, wParam, lParam);
}

QWidget* CListManage::Control(int controlId) const {
    if (const auto found = m_buttons.find(controlId); found != m_buttons.end()) return found->second;
    switch (controlId) {
    case IDC_PLAYLIST_VIEW: return m_pPlayList;
    case IDC_RECOMMEND_VIEW: return m_pRecommend;
    case IDC_ALBUM_TREE: return m_pTree;
    case IDC_SCROLL_BAR: return m_pScroll;
    default: return nullptr;
    }
}

CListCtrlEx* CListManage::SongView(int kind) const {
    if (kind == kListTemporary) return m_pPlayList;
    if (kind == kListRecommend) return m_pRecommend;
    return nullptr;
}

// ------------------------------------------------------------------ skin

void CListManage::SetSkin(const std::string& skinFolder) {
    m_strSkinFolder = skinFolder;
    const CSkinDescription skin(skinFolder);
    if (!skin.Loaded()) Trace("CListManage::SetSkin : no description in %s", skinFolder.c_str());
    const std::string backFile = skin.BitmapFile("Wnd1");
    if (const std::optional<CDib> back = LoadBitmapFile(backFile)) {
        m_background =
            ScreenPicture(LoadSkinImage(backFile, "CListManage::SetSkin"), ScreenPictureRatio(), kSkinKeyColour);
        setMask(BitmapToRegion(*back, kSkinKeyColour));
    } else {
        Trace("CListManage::SetSkin : %s not loaded", backFile.c_str());
        m_background = QImage();
        clearMask();
    }
    setFixedSize(skin.Rect("Wnd1").size());
    PlaceControls(skin);
    ApplySkinShadowLook(m_shadow, skinFolder);
    if (m_nShownPage >= 0) ShowPageControls(m_nShownPage);
    update();
}

void CListManage::PlaceControls(const CSkinDescription& skin) {
    m_tabFiles.clear();
    for (const St_ButtonSection& button : kButtons) {
        CSkinButtonEx* control = m_buttons[button.command];
        const SkinButtonFiles files = skin.ButtonFiles(button.section);
        if (std::find(std::begin(kTabs), std::end(kTabs), button.command) != std::end(kTabs))
            m_tabFiles[button.command] = files;
        control->SetImages(files.normal, files.over, files.click, QString::fromUtf8(button.tip));
        control->setGeometry(skin.Rect(button.section));
    }
    for (auto& [number, label] : m_labels) {
        const std::string section = StaticSection(number);
        label->setGeometry(skin.Rect(section));
        // A caption without a colour of its own takes the notices' colour.
        label->SetTextColor(skin.TextColour(skin.String(section, "TextColor").empty() ? "Static102" : section));
        if (skin.String(section, "BkColor").empty()) {
            label->SetTransparent(true);
        } else {
            label->SetBkColor(skin.BackColour(section));
            label->SetTransparent(false);
        }
    }
    for (auto [picture, section] : {std::pair{m_pNoAlbum, "Static103"}, std::pair{m_pBusy, "Static118"}}) {
        const QImage image = LoadSkinImage(skin.BitmapFile(section), "CListManage::PlaceControls");
        picture->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(ScreenPicture(image)));
        picture->setGeometry(skin.Rect(section));
    }

    m_pPlayList->SetSkin(skin, "List100");
    m_pPlayList->setGeometry(skin.Rect("List100"));
    m_pRecommend->SetSkin(skin, "List101");
    m_pRecommend->setGeometry(skin.Rect("List101"));
    // The song views' separator stands before the details column.
    for (CListCtrlEx* view : {m_pPlayList, m_pRecommend})
        view->SetSeparatorX(view->header()->sectionViewportPosition(CSongListModel::kColumnIcon) - 1);
    m_pTree->SetSkin(skin, "List102");
    m_pTree->setGeometry(skin.Rect("List102"));
    // The focus mark in the colour the skin lights a song with.
    const QColor focusColour = ColorRefToQColor(skin.Colour("List102", "SongOverColor"));
    for (const auto& [command, button] : m_buttons) button->SetFocusColour(focusColour);
    m_pScroll->SetFocusColour(focusColour);

    const SkinScrollFiles scroll = skin.ScrollFiles("Scroll00");
    m_pScroll->SetChannelImages(scroll.channel, scroll.full);
    m_pScroll->setGeometry(skin.Rect("Scroll00"));
    const std::optional<CDib> thumb = LoadBitmapFile(scroll.thumb);
    m_scrollThumb = thumb ? thumb->ToImage() : QImage();
    m_bScrollFade = skin.ScrollKeys("Scroll00").fade;

    m_pUser->setGeometry(skin.Rect("Edit100"));
    m_pUser->SetTextColor(skin.TextColour("Edit100"));
    m_pPass->setGeometry(skin.Rect("Edit101"));
    m_pPass->SetTextColor(skin.TextColour("Edit101"));
    m_pRemember->setGeometry(skin.Rect("Check100"));
    m_pAutoLogon->setGeometry(skin.Rect("Check101"));

    // The page pane spans the corners of the area under the toolbar.
    m_rcPane = skin.Rect("Static105").united(skin.Rect("Static111")).united(skin.Rect("Static114")).united(
        skin.Rect("Static115"));
    if (m_pPane) m_pPane->Widget()->setGeometry(m_rcPane);
    FollowScroll();
}

// ------------------------------------------------------------------ pages

void CListManage::ShowPageControls(int page) {
    m_nShownPage = page;
    for (const auto& [command, button] : m_buttons) button->setVisible(ShownOn(command, page));
    // The current tab wears its "Current" picture.
    for (const auto& [command, files] : m_tabFiles) {
        const bool current = TabOf(page) == command;
        m_buttons[command]->SetImages(current ? files.current : files.normal, current ? files.current : files.over,
                                      files.click);
    }
    for (const auto& [number, label] : m_labels) label->setVisible(LabelShownOn(number, page));
    m_pNoAlbum->setVisible(page == kPageNoAlbum);
    m_pPlayList->setVisible(page == kPagePlayList);
    m_pRecommend->setVisible(page == kPageRecommend);
    m_pTree->setVisible(page == kPageAlbumTree);
    m_pBusy->setVisible(page == kPageRecommendLoading || (page == kPageRecommend && m_bBusy));
    for (QWidget* form : std::initializer_list<QWidget*>{m_pUser, m_pPass, m_pRemember, m_pAutoLogon})
        form->setVisible(page == kPageSignIn);
    m_pScroll->setVisible(ScrolledView() != nullptr);
    FollowScroll();
    update();
}

void CListManage::ShowBusyPicture(bool shown) {
    m_bBusy = shown;
    m_pBusy->setVisible(m_nShownPage == kPageRecommendLoading || (m_nShownPage == kPageRecommend && shown));
    m_pBusy->raise();
}

void CListManage::FocusUserName() { m_pUser->setFocus(); }

bool CListManage::IsAlbumPageShown() const { return m_logic.Page() == kPageAlbumTree; }

// ------------------------------------------------------------------ song views

void CListManage::RefreshSongView(int kind) {
    if (CListCtrlEx* view = SongView(kind)) {
        view->SongModel()->Refresh();
        view->viewport()->update();
    }
    MarkPlayingList();
}

void CListManage::MarkPlayingList() {
    // The playing song's number is lit in the list the player plays from.
    const int playing = m_player.PlayingListKind();
    for (CListCtrlEx* view : {m_pPlayList, m_pRecommend}) view->SetListPlays(view->ListKind() == playing);
}

void CListManage::EnableSongView(int kind, bool enable) {
    if (CListCtrlEx* view = SongView(kind)) view->setEnabled(enable);
    if (kind == kListRecommend) m_buttons[ID_REFRESH_RECOMMEND]->setEnabled(enable);
}

std::vector<int> CListManage::SelectedRows(int kind) const {
    std::vector<int> rows;
    const CListCtrlEx* view = SongView(kind);
    if (!view || !view->selectionModel()) return rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CListManage::CurrentRow(int kind) const {
    const CListCtrlEx* view = SongView(kind);
    if (!view) return -1;
    const QModelIndex current = view->currentIndex();
    // A current row that is not selected is no choice of the user's.
    if (current.isValid() && view->selectionModel()->isRowSelected(current.row(), {})) return current.row();
    const std::vector<int> rows = SelectedRows(kind);
    return rows.empty() ? -1 : rows.front();
}

void CListManage::SetCurrentRow(int kind, int row) {
    CListCtrlEx* view = SongView(kind);
    if (!view || !view->model()) return;
    view->SongModel()->Refresh();
    const QModelIndex index = view->model()->index(row, 0);
    if (!index.isValid()) return;
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

void CListManage::ShowRow(int kind, int row) {
    CListCtrlEx* view = SongView(kind);
    if (!view) return;
    // In steps of ten rows, so the list does not jump by one at every song.
    const int first = view->ScrollPosition();
    const int page = std::max(view->ScrollPage(), 1);
    if (row >= first && row < first + page) return;
    view->SetScrollPosition(row / 10 * 10);
}

void CListManage::ScrollView(int page, int rows) {
    if (page != m_nShownPage) return;
    if (CSkinnedItemView* view = ScrolledView()) view->ScrollRows(rows);
}

// ------------------------------------------------------------------ scroll bar

CSkinnedItemView* CListManage::ScrolledView() const {
    switch (m_nShownPage) {
    case kPagePlayList: return m_pPlayList;
    case kPageRecommend: return m_pRecommend;
    case kPageAlbumTree: return m_pTree;
    default: return nullptr;
    }
}

void CListManage::FollowScroll() {
    const CSkinnedItemView* view = ScrolledView();
    if (!view) return;
    const int maximum = view->ScrollMaximum();
    // The thumb is as long as the share of the rows in sight.
    m_pScroll->SetThumbImage(ComposeScrollThumb(m_scrollThumb, maximum + view->ScrollPage(), m_bScrollFade),
                             kSkinKeyColour);
    m_pScroll->SetValueRange(0, std::max(maximum, 0));
    m_pScroll->SetValue(view->ScrollPosition());
    m_pScroll->SetEnabled(maximum > 0);
}

void CListManage::OnScrollBarMoved() {
    if (CSkinnedItemView* view = ScrolledView()) view->SetScrollPosition(m_pScroll->GetValue());
}

// ------------------------------------------------------------------ album tree

void CListManage::RebuildAlbumTree(const CAlbumList& albums) {
    m_treeItems.Rebuild(albums);
    m_pTree->selectionModel()->clear();
}

AlbumItem CListManage::InsertAlbumItem(const std::string& name, int, long long data) {
    return m_treeItems.Insert(name, data);
}

void CListManage::SetAlbumItemText(AlbumItem album, const std::string& name, int) {
    // The tree counts the songs itself.
    m_treeItems.SetName(album, name);
}

void CListManage::StartNewAlbum() {
    m_treeItems.StartNewAlbum(Cp936(kDefaultAlbumName));
}

void CListManage::EditAlbumName(AlbumItem album) {
    if (!m_treeItems.EditName(album)) Trace("OnRename===No such album.");
}

bool CListManage::EndAlbumNameEdit() {
    if (!m_pTree->IsEditingLabel()) return false;
    m_pTree->EndLabelEdit();
    return true;
}

void CListManage::RefreshAlbumTree() { m_pTree->viewport()->update(); }

TreeItemRef CListManage::CurrentItem() const {
    const QModelIndex current = m_pTree->currentIndex();
    if (!current.isValid() || !m_pTree->AlbumModel()) return {};
    return m_pTree->AlbumModel()->ItemOf(current);
}

std::vector<TreeItemRef> CListManage::SelectedItems() const {
    std::vector<TreeItemRef> items;
    if (!m_pTree->AlbumModel()) return items;
    for (const QModelIndex& index : m_pTree->selectionModel()->selectedRows())
        items.push_back(m_pTree->AlbumModel()->ItemOf(index));
    return items;
}

void CListManage::Select(const TreeItemRef& item) {
    CAlbumTreeModel* model = m_pTree->AlbumModel();
    if (!model) return;
    model->Refresh();
    const QModelIndex index = item.song >= 0 ? model->SongIndex(item.album, item.song) : model->AlbumIndex(item.album);
    if (!index.isValid()) return;
    if (item.song >= 0) m_pTree->expand(index.parent());
    m_pTree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_pTree->scrollTo(index);
}

void CListManage::Expand(int album) {
    if (CAlbumTreeModel* model = m_pTree->AlbumModel()) {
        model->Refresh();
        m_pTree->expand(model->AlbumIndex(album));
    }
}

void CListManage::SetPlayIcon(const TreeItemRef& song) { m_pTree->SetPlayIcon(song); }

bool CListManage::EditLabel(int album, bool newAlbum) {
    if (CAlbumTreeModel* model = m_pTree->AlbumModel()) model->Refresh();
    return m_pTree->EditLabel(album, newAlbum);
}

std::string CListManage::TakeEditedName() { return m_pTree->TakeLabelEditText(); }

// ------------------------------------------------------------------ the views' events

void CListManage::OnSongDetails(int listKind, int row) {
    St_SongInfo song;
    if (CSongList* list = m_logic.ListOfKind(listKind); list && row >= 0 && list->GetAt(row, song))
        m_logic.OnSongDetails(song);
}

void CListManage::OnRowDoubleClicked(int listKind, int row) { m_logic.OnRowDoubleClicked(listKind, row); }

bool CListManage::OnListKey(int listKind, int row, int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Delete && listKind == kListTemporary) {
        m_logic.OnCommand(ID_DELETE_SONGS);
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && row >= 0) {
        m_logic.OnRowDoubleClicked(listKind, row);
        return true;
    }
    return PerformKey(CPlayerKeyMap::Map(key, modifiers, KeyFocus::ItemView));
}

void CListManage::OnListContextMenu(int listKind, int row, const QPoint&) {
    // A right click on a row outside the selection picks that row.
    const std::vector<int> rows = SelectedRows(listKind);
    if (row >= 0 && std::find(rows.begin(), rows.end(), row) == rows.end()) SetCurrentRow(listKind, row);
    m_logic.OnContextMenu(listKind, row);
}

void CListManage::OnManageAlbum(const TreeItemRef& album) { m_logic.OnManageAlbum(m_treeItems.HandleOf(album)); }

void CListManage::OnPlayAlbum(const TreeItemRef& album) { m_logic.OnPlayAlbum(m_treeItems.HandleOf(album)); }

void CListManage::OnSongDetails(const TreeItemRef& song) {
    const St_Album album = m_treeItems.Shown().GetAt(song.album);
    St_SongInfo info;
    if (song.song >= 0 && album.songs.GetAt(song.song, info)) m_logic.OnSongDetails(info);
}

void CListManage::OnItemDoubleClicked(const TreeItemRef& item) {
    if (item.song >= 0) m_logic.OnAlbumItemDoubleClicked();
}

bool CListManage::OnTreeKey(const TreeItemRef& item, int key, Qt::KeyboardModifiers modifiers) {
    // What the name editor leaves is typing, not the player's.
    if (m_pTree->IsEditingLabel()) return false;
    if (key == Qt::Key_Delete && item.album >= 0) {
        m_logic.OnTreeDeleteKey();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && item.song >= 0) {
        m_logic.OnAlbumItemDoubleClicked();
        return true;
    }
    return PerformKey(CPlayerKeyMap::Map(key, modifiers, KeyFocus::ItemView));
}

bool CListManage::PerformKey(PlayerKey action) {
    switch (action) {
    case PlayerKey::None: return false;
    case PlayerKey::RefreshPage: m_logic.RefreshShownPage(); return true;
    case PlayerKey::LeaveSearch: setFocus(Qt::OtherFocusReason); return true;
    default: return m_frame.PerformPlayerKey(action);
    }
}

void CListManage::keyPressEvent(QKeyEvent* event) {
    if (PerformKey(CPlayerKeyMap::Map(event->key(), event->modifiers(), KeyFocusOf(focusWidget())))) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CListManage::OnTreeContextMenu(const TreeItemRef& item, const QPoint&) {
    if (item.album < 0) return;
    const std::vector<TreeItemRef> selected = SelectedItems();
    if (std::find(selected.begin(), selected.end(), item) == selected.end()) Select(item);
    m_logic.OnContextMenu(kListAlbum, item.song);
}

void CListManage::ShowNotice(const std::string& text) { ShowMessage(text); }

// ------------------------------------------------------------------ messages, menus, pane

void CListManage::ShowMessage(const std::string& text) { m_frame.ShowMessageWindow(this, text); }

void CListManage::ShowTip(const std::string& text) {
    CAddTipDlg tip(this);
    tip.SetSkinFolder(m_strSkinFolder);
    tip.SetText(text);
    tip.exec();
}

void CListManage::ShowAddedTip(int added, int skipped) {
    CAddTipDlg tip(this);
    tip.SetSkinFolder(m_strSkinFolder);
    tip.m_bCounts = 1;
    tip.m_nAdded = added;
    tip.m_nDropped = skipped;
    tip.exec();
}

bool CListManage::Ask(const std::string& text) { return m_frame.ShowMessageWindow(this, text, kMbOkCancel) == kIdOk; }

int CListManage::TrackMenu(const PanelMenu& menu) {
    QMenu popup(this);
    BuildMenu(popup, menu);
    const QAction* chosen = popup.exec(QCursor::pos());
    return chosen ? chosen->data().toInt() : 0;
}

void CListManage::ShowPanePage(const std::string& kind, const std::string& argument) {
    // Searches show in the library pane, which is big enough for them.
    if (IBrowserWindow* browser = m_frame.Browser()) {
        if (kind == "search") browser->Search(argument);
    } else {
        Trace("CListManage::ShowPanePage===No library pane for %s.", kind.c_str());
    }
}

void CListManage::PostToFrame(unsigned message, WPARAM wParam) { PostMessage(m_frameTarget, message, wParam, 0); }

void CListManage::ClosePanel() { hide(); }

void CListManage::CreatePagePane() {
    if (m_pPane || !m_options.pagePane || m_bPaneReleased || m_bPaneFailed) return;
    // A strip of a page under the toolbar: no scroll bars, and the keyboard
    // stays with the panel's own controls. It comes after the first show;
    // the panel keeps its native window.
    St_PageViewOptions options;
    options.scrollBars = false;
    options.takesFocus = false;
    m_pPane = MakePageView(this, *this, options, "CListManage::CreatePagePane");
    if (!m_pPane) {
        // The strip stays empty; the panel works without it.
        m_bPaneFailed = true;
        return;
    }
    m_pPane->Widget()->setGeometry(m_rcPane);
    m_pPane->Widget()->show();
}

// Song links on the page go to the frame as in the library pane.
bool CListManage::OnNavigation(const St_Navigation& navigation) { return HandleNavigation(navigation, m_frameTarget); }

void CListManage::OnLoadFinished(const QUrl&, bool succeeded, int) {
    if (succeeded) emit pagePaneLoaded();
}

void CListManage::OnRendererGone(int status, int exitCode) {
    if (status != 0) Trace("CListManage::OnRenderProcessTerminated : %d %d", status, exitCode);
}

void CListManage::OnEngineRefusal(const QString& address) { TraceEngineRefusal(address); }

void CListManage::ReleasePagePane() {
    m_bPaneReleased = true;
    m_pPane.reset();
}

void CListManage::ShowAdvert() { NavigatePane(ServiceAddress(kAdvertPath)); }

void CListManage::NavigatePane(const std::string& address) {
    CreatePagePane();
    if (m_pPane) m_pPane->Load(QUrl(FromAnsi(address)));
}

// ------------------------------------------------------------------ the window

bool CListManage::IsShown() const { return m_showing.IsShown(); }

void CListManage::ShowWindow(bool show) { m_showing.ShowWindow(show); }

void CListManage::MinimizeWindow() { m_showing.Minimize(); }

void CListManage::RestoreWindow() { m_showing.Restore(); }

void CListManage::BringToFront() { raise(); }

void CListManage::EnableWindow(bool enable) { setEnabled(enable); }

void CListManage::DockAt(const QRect& geometry) {
    move(geometry.topLeft());
    setFixedSize(geometry.size());
}

void CListManage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_background.isNull()) painter.fillRect(rect(), QColor(0x30, 0x30, 0x30));
    else painter.drawImage(0, 0, m_background);
    // The sign-in boxes get a hair-line frame on the skin.
    if (m_nShownPage == kPageSignIn) {
        painter.setPen(QColor(0x61, 0x61, 0x61));
        for (const QWidget* edit : {static_cast<QWidget*>(m_pUser), static_cast<QWidget*>(m_pPass)})
            painter.drawRect(edit->geometry().adjusted(-3, -1, 2, 0));
    }
}

void CListManage::closeEvent(QCloseEvent* event) {
    // The system's close hides the panel like its close button.
    event->ignore();
    ClosePanel();
}

// ------------------------------------------------------------------ the player's requests

bool CListManage::IsThreadUse(int timeoutMs, const char* caller) {
    return m_logic.Manager().IsThreadUse(timeoutMs, caller);
}

bool CListManage::SaveChangedAlbums() { return m_logic.Editor().SaveChangedAlbums(); }

void CListManage::SetClosing() { m_logic.Manager().SetClosing(); }

bool CListManage::IsLogon() const { return m_logic.Manager().IsLogon(); }

bool CListManage::OnLogoutAlbum() { return m_logic.Manager().OnLogoutAlbum() == 1; }

void CListManage::TerminateAlbumWorker(std::uint32_t exitCode) { m_logic.Manager().TerminateAlbumWorker(exitCode); }

void CListManage::ForgetSession() { m_logic.Manager().ForgetSession(); }

void CListManage::ClearPlayingAlbum() { m_logic.Manager().ClearPlayingAlbum(); }

bool CListManage::SavePlayList() { return m_logic.PlayList().Save(); }

std::string CListManage::UserName() const { return m_logic.Manager().UserName(); }

std::string CListManage::Password() const { return m_logic.Manager().Password(); }

// ------------------------------------------------------------------ the sign-in form

std::string CListManage::UserNameText() const { return ToAnsi(m_pUser->text()); }

std::string CListManage::PasswordText() const { return ToAnsi(m_pPass->text()); }

void CListManage::SetUserNameText(const std::string& text) { m_pUser->setText(FromAnsi(text)); }

void CListManage::SetPasswordText(const std::string& text) { m_pPass->setText(FromAnsi(text)); }

bool CListManage::RememberPassChecked() const { return m_pRemember->isChecked(); }

void CListManage::SetRememberPassChecked(bool checked) { m_pRemember->setChecked(checked); }

bool CListManage::AutoLogonChecked() const { return m_pAutoLogon->isChecked(); }

void CListManage::SetAutoLogonChecked(bool checked) { m_pAutoLogon->setChecked(checked); }

bool CListManage::SignInEnabled() const { return m_buttons.at(ID_SIGN_IN)->isEnabled(); }

void CListManage::EnableSignIn(bool enable) {
    for (QWidget* control : std::initializer_list<QWidget*>{m_buttons[ID_SIGN_IN], m_pUser, m_pPass, m_pRemember,
                                                            m_pAutoLogon})
        control->setEnabled(enable);
}
