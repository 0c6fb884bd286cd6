#include "playback/PlayMainDlg.h"

#include "common/Bitmap.h"
#include "skin/controls/SkinImage.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/TopLevelWindow.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "notify/WndShadow.h"
#include "platform/Shell.h"
#include "playback/PlayerControls.h"
#include "playback/PlayerIds.h"
#include "playback/PlayerMenus.h"
#include "playback/PlayerRules.h"
#include "service/ServiceHosts.h"
#include "skin/ProgramResources.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"
#include "skin/controls/BitmapSlider.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/EditTrans.h"
#include "skin/controls/FocusMark.h"
#include "skin/controls/RollTextStatic.h"
#include "skin/controls/SkinButtonEx.h"
#include "skin/picture/PictureEx.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <exception>
#include <thread>

namespace {

// A window whose skin gives it no size still opens at this size.
constexpr QSize kFallbackSize(400, 150);
// Its colour where there is no background picture.
const QColor kPlainBackground(0x2B, 0x2B, 0x2B);

// The play-position slider's circular track, where a skin asks for one.
constexpr int kCircleX = 54;
constexpr int kCircleY = -27;
constexpr int kCircleRadius = 57;

}  // namespace

CPlayMainDlg::Places CPlayMainDlg::ProgramPlaces() { return {SkinRoot(), g_strIniFile}; }

CPlayMainDlg::CPlayMainDlg(IPlayerFrame& frame, std::unique_ptr<CMediaEngine> engine, Places places)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      CMessageTarget(this),
      m_frame(frame),
      m_places(std::move(places)),
      m_relay(frame),
      m_engine(std::move(engine)),
      m_looks(m_places.settingsFile),
      m_session(frame, this) {
    m_controller = std::make_unique<CPlayController>(*m_engine, &m_relay, *this, m_relay);
    OnInitDialog();
}

CPlayMainDlg::~CPlayMainDlg() {
    // The controller's lookup and the animation end before the controls go.
    m_controller.reset();
    m_shadow.reset();
}

// ---------------------------------------------------------------- building

void CPlayMainDlg::OnInitDialog() {
    setObjectName(QStringLiteral("dialog_%1").arg(IDD_PLAYER));
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    // The icon file is only read when the task bar asks for it.
    setWindowIcon(QIcon(QString::fromStdString(ResourceIconFile(m_places.skinRoot, kResProgramIcon))));

    CreateControls();
    RegisterHandlers();
    LoadSkin(m_looks.CurrentFolder());
    // The window itself holds the focus at first, so that no control shows
    // a focus frame over the skin until the user tabs to it.
    setFocusPolicy(Qt::StrongFocus);
    setFocus();

    // The media engine has no picture of its own; it starts at half volume.
    ApplyVolume(kStartVolume);
    SetTimeText("00:00");
    SetTitle("");
    SetAnimation(Animation::Stopped);
    EnablePositionSlider(false);
}

void CPlayMainDlg::CreateControls() {
    for (const PlayerControlSpec& control : PlayerControls()) {
        switch (control.kind) {
        case PlayerControlKind::Button: {
            auto* button = new CSkinButtonEx(this, control.id);
            button->setObjectName(QStringLiteral("control_%1").arg(control.id));
            button->SetKeyHint(CPlayerKeyMap::KeyText(PlayerControlKey(control.id)));
            m_buttons[control.id] = button;
            break;
        }
        case PlayerControlKind::Animation:
            m_pAnimation = new CPictureEx(this);
            break;
        case PlayerControlKind::Title:
            m_pTitle = new CRollTextStatic(this, CRollTextStatic::Variant::Title);
            break;
        case PlayerControlKind::Time:
            m_pTime = new CRollTextStatic(this, CRollTextStatic::Variant::Plain);
            break;
        case PlayerControlKind::Duration:
            m_pDuration = new CRollTextStatic(this, CRollTextStatic::Variant::Plain);
            m_pDuration->SetTimeText(true);
            break;
        case PlayerControlKind::VolumeSlider:
            m_pVolume = new CBitmapSlider(this, control.id);
            m_pVolume->SetValueRange(0, kVolumeMax);
            break;
        case PlayerControlKind::PositionSlider:
            m_pPosition = new CBitmapSlider(this, control.id);
            break;
        case PlayerControlKind::SearchEdit:
            m_pSearch = new CEditTrans(this);
            m_pSearch->SetPlaceholder(true);
            break;
        }
    }
    // Screen readers name the controls without a tooltip; the window by its title.
    setAccessibleName(QString::fromLatin1(kWindowTitle));
    const std::pair<int, QWidget*> named[] = {{IDC_VOLUME_SLIDER, m_pVolume}, {IDC_POSITION_SLIDER, m_pPosition},
                                              {IDC_TITLE, m_pTitle},          {IDC_TIME, m_pTime},
                                              {IDC_DURATION, m_pDuration},    {IDC_SEARCH_EDIT, m_pSearch},
                                              {IDC_ANIMATION, m_pAnimation}};
    for (const auto& [id, widget] : named) {
        const std::string_view name = PlayerControlName(id);
        widget->setAccessibleName(QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    m_pSearch->setAccessibleDescription(CPlayerKeyMap::KeyText(PlayerKey::FocusSearch));
    connect(m_pTitle, &CRollTextStatic::lyricToggleRequested, this, [this] { OnCommand(IDC_LYRIC); });
    // The picture's frames ride on the title's roll while it ticks here: one
    // repaint a tick for both. A title the window system moves wakes nothing
    // here, and the picture shows its frames as they come.
    connect(m_pTitle, &CRollTextStatic::tickingChanged, m_pAnimation, &CPictureEx::FollowTick);
    connect(m_pTitle, &CRollTextStatic::rolled, m_pAnimation, &CPictureEx::Tick);
    connect(m_pSearch, &QLineEdit::returnPressed, this, [this] { OnCommand(IDC_SEARCH); });
}

std::vector<QWidget*> CPlayMainDlg::TabOrder() const {
    std::vector<QWidget*> order;
    for (int id : PlayerTabOrder()) {
        switch (id) {
        case IDC_SEARCH_EDIT: order.push_back(m_pSearch); break;
        case IDC_VOLUME_SLIDER: order.push_back(m_pVolume); break;
        case IDC_POSITION_SLIDER: order.push_back(m_pPosition); break;
        default:
            if (CSkinButtonEx* button = Button(id)) order.push_back(button);
            break;
        }
    }
    return order;
}

bool CPlayMainDlg::focusNextPrevChild(bool next) {
    // The skin places the controls anywhere: Tab follows the player's own order.
    return MoveFocusInOrder(TabOrder(), focusWidget(), next);
}

void CPlayMainDlg::RegisterHandlers() {
    // The controller's own messages may be addressed to the window too.
    for (unsigned message : {WM_PLAYER_SONGEND, WM_PLAYER_SONGREADY, WM_PLAYER_ERROR, WM_SLIDER_DRAGSTART,
                             WM_SLIDER_DRAGEND}) {
        SetMessageHandler(message, [this, message](WPARAM wParam, LPARAM lParam) {
            return m_controller->DispatchMessage(message, wParam, lParam);
        });
    }
    SetMessageHandler(WM_SYSCOMMAND, [this](WPARAM wParam, LPARAM) { return OnSysCommand(wParam); });

    const auto on = [this](std::initializer_list<int> commands, const CommandHandler& handler) {
        for (int command : commands) SetCommandHandler(command, handler);
    };
    on({IDC_PLAY_PAUSE, ID_MENU_PLAY_PAUSE}, [this] { OnPlayPause(); });
    for (int command : {IDC_STOP, IDC_PREVIOUS, IDC_NEXT})
        SetCommandHandler(command, [this, command] { m_controller->OnCommand(command); });
    on({IDC_MUTE}, [this] { OnMute(); });
    on({IDC_VOLUME_UP, ID_VOLUME_UP}, [this] { StepVolume(1); });
    on({IDC_VOLUME_DOWN, ID_VOLUME_DOWN}, [this] { StepVolume(-1); });
    on({IDC_MAIN_MENU}, [this] { PopupMenu(IDR_MAIN_MENU, IDC_MAIN_MENU); });
    on({IDC_SKIN_MENU}, [this] { PopupMenu(IDR_SKIN_MENU, IDC_SKIN_MENU); });
    on({IDC_MINIMIZE}, [this] { OnSysCommand(SC_MINIMIZE); });
    on({IDC_MINI_MODE}, [this] { OnMiniMode(); });
    on({IDC_ROTATE}, [this] { OnRotate(); });
    on({IDC_CLOSE, ID_HIDE_PLAYER}, [this] { HidePlayer(); });
    on({IDC_SEARCH}, [this] { OnSearch(); });
    on({IDC_REPEAT_ONE}, [this] { OnRepeatOne(); });
    on({IDC_LIST, ID_PLAY_LIST}, [this] { ToggleCompanion(CShownCompanions::kPanel); });
    on({IDC_LIBRARY, ID_LIBRARY}, [this] { ToggleCompanion(CShownCompanions::kBrowser); });
    on({IDC_LYRIC, ID_LYRIC}, [this] { ToggleCompanion(CShownCompanions::kLyric); });
    on({IDC_MY_PAGE}, [this] { OnMyPage(); });
    for (int mode = kModeSingle; mode <= kModeRepeatList; ++mode)
        SetCommandHandler(kCmdModeFirst + mode, [this, mode] { SetPlayMode(mode); });
    on({ID_TOP_MOST}, [this] { OnTopMost(); });
    on({ID_ADD_LIBRARY_SONGS}, [this] {
        if (IPanelWindow* panel = m_frame.Panel()) panel->AddLibrarySongs();
    });
    on({ID_LOG_OUT}, [this] { OnLogOut(); });
    on({ID_HELP_PAGE}, [] { tonvik::platform::OpenUrl(HelpPageAddress(ReadServiceHosts())); });
    on({ID_FEEDBACK_PAGE}, [] { tonvik::platform::OpenUrl(FeedbackPageAddress(ReadServiceHosts())); });
    on({ID_ABOUT}, [this] { m_frame.ShowAbout(this); });
    on({ID_EXIT}, [this] { CloseApp(); });
    on({ID_SKIN_CLASSIC}, [this] { ChooseSkin(kSkinClassic); });
    on({ID_SKIN_ORANGE}, [this] { ChooseSkin(kSkinOrange); });
}

void CPlayMainDlg::LoadSkin(const std::string& folder) {
    const CSkinDescription skin(m_places.skinRoot, folder);
    if (!skin.Loaded()) Trace("LoadSkin===%s not read", skin.Paths().Description().c_str());

    // A background that cannot be loaded leaves the window rectangular and
    // plain rather than wearing the picture of another skin.
    const std::string backgroundFile = skin.BitmapFile("Wnd0");
    const std::optional<CDib> background = LoadBitmapFile(backgroundFile);
    // The picture drawn may be the double-size twin; the region is cut from
    // the picture at layout size.
    m_background = background ? ScreenPicture(LoadSkinImage(backgroundFile, "LoadSkin"), ScreenPictureRatio(),
                                              PlayerKeyColour(folder))
                              : QImage();
    if (!background) Trace("LoadSkin===Background %s not loaded", backgroundFile.c_str());

    const QRect place = skin.Rect("Wnd0");
    QSize size = place.size();
    if (size.isEmpty()) size = m_background.isNull() ? kFallbackSize : LayoutSize(m_background);
    setFixedSize(size);
    move(PlaceInsideScreen(QRect(place.topLeft(), size)));
    const QRegion region = background ? BitmapToRegion(*background, PlayerKeyColour(folder)) : QRegion();
    if (region.isEmpty()) {
        clearMask();
    } else {
        setMask(region);
    }

    std::string missing;
    for (const PlayerControlSpec& control : PlayerControls()) {
        const std::string section(control.section);
        QWidget* widget = nullptr;
        const QRect rect = skin.Rect(section);
        const bool present = skin.HasSection(section);
        switch (control.kind) {
        case PlayerControlKind::Button: {
            // A section the skin lacks names no pictures.
            ButtonFaces faces;
            if (present) faces.files = skin.ButtonFiles(section);
            faces.stateFiles = control.stateSection.empty() || !skin.HasSection(control.stateSection)
                                   ? faces.files
                                   : skin.ButtonFiles(control.stateSection);
            faces.tooltip = QString::fromUtf8(control.tooltip.data(), qsizetype(control.tooltip.size()));
            faces.stateTooltip = control.stateTooltip.empty()
                                     ? faces.tooltip
                                     : QString::fromUtf8(control.stateTooltip.data(), qsizetype(control.stateTooltip.size()));
            m_faces[control.id] = std::move(faces);
            ApplyButtonState(control.id);
            widget = m_buttons.at(control.id);
            break;
        }
        case PlayerControlKind::Animation:
            m_pAnimation->SetSkin(m_places.skinRoot, folder);
            m_animationFiles = present ? skin.AnimationFiles(section) : SkinAnimationFiles{};
            m_loadedAnimation.clear();
            widget = m_pAnimation;
            break;
        case PlayerControlKind::Title:
        case PlayerControlKind::Time:
        case PlayerControlKind::Duration: {
            CRollTextStatic* text = control.kind == PlayerControlKind::Title ? m_pTitle
                                    : control.kind == PlayerControlKind::Time ? m_pTime
                                                                               : m_pDuration;
            text->SetSkin(skin);
            widget = text;
            break;
        }
        case PlayerControlKind::VolumeSlider:
        case PlayerControlKind::PositionSlider: {
            const bool volume = control.kind == PlayerControlKind::VolumeSlider;
            CBitmapSlider* slider = volume ? m_pVolume : m_pPosition;
            const SkinSliderFiles files = skin.SliderFiles(section);
            const SkinSliderKeys keys = skin.SliderKeys(section);
            if (present) {
                slider->SetChannelImages(files.channel, files.full, true, kSkinKeyColour);
                slider->SetThumbImages(files.thumb, files.thumb, keys.transparentThumb, kSkinKeyColour);
            }
            slider->SetOrientation(keys.vertical);
            if (volume) {
                // The slider stands for the same volume the other way round.
                const int shown = SliderValue(IDC_VOLUME_SLIDER);
                m_bVolumeReversed = !keys.lowToHigh;
                slider->SetReadReversed(m_bVolumeReversed);
                slider->SetValue(VolumeToSlider(shown));
            } else if (keys.circle) {
                slider->SetCircleTrack(kCircleX, kCircleY, kCircleRadius);
            }
            widget = slider;
            break;
        }
        case PlayerControlKind::SearchEdit:
            m_pSearch->SetTextColor(skin.TextColour(section));
            if (m_pSearch->text().isEmpty()) m_pSearch->setText(CEditTrans::PlaceholderText());
            widget = m_pSearch;
            break;
        }
        if (!present) missing += " " + section;
        widget->setGeometry(rect);
        widget->setVisible(present && !rect.isEmpty());
    }
    if (!missing.empty()) Trace("LoadSkin===%s has no%s", folder.c_str(), missing.c_str());
    // The focus mark in the title's colour: a colour of this skin that shows
    // on its background.
    if (skin.HasSection("Static0")) {
        const QColor focusColour = ColorRefToQColor(skin.TextColour("Static0"));
        for (const auto& [id, button] : m_buttons) button->SetFocusColour(focusColour);
        for (CBitmapSlider* slider : {m_pVolume, m_pPosition}) slider->SetFocusColour(focusColour);
    }

    SetAnimation(m_animation);
    ApplyShadowLook();
    update();
}

void CPlayMainDlg::ApplyShadowLook() {
    if (m_shadow) ApplySkinShadowLook(*m_shadow, m_looks.Skin());
}

// ---------------------------------------------------------------- buttons

CSkinButtonEx* CPlayMainDlg::Button(int id) const {
    const auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second;
}

bool CPlayMainDlg::ButtonInState(int id) const {
    switch (id) {
    case IDC_PLAY_PAUSE: return m_bPauseImage;
    case IDC_MUTE: return m_engine->get_mute();
    case IDC_MINI_MODE: return m_looks.MiniMode();
    case IDC_REPEAT_ONE: {
        const IPanelWindow* panel = m_frame.Panel();
        return panel && panel->PlayMode() == kModeRepeatOne;
    }
    case IDC_LIST: {
        const IPanelWindow* panel = m_frame.Panel();
        return panel && panel->IsShown();
    }
    default: return false;
    }
}

bool CPlayMainDlg::ShowsStateFace(int id) const {
    const auto found = m_faces.find(id);
    return found != m_faces.end() && found->second.shown == 1;
}

void CPlayMainDlg::ApplyButtonState(int id) {
    const auto found = m_faces.find(id);
    CSkinButtonEx* button = Button(id);
    if (found == m_faces.end() || button == nullptr) return;
    ButtonFaces& faces = found->second;
    const int face = ButtonInState(id) ? 1 : 0;
    // The pictures are read only when the face changes.
    if (faces.shown == face) return;
    faces.shown = face;
    const SkinButtonFiles& files = face ? faces.stateFiles : faces.files;
    button->SetImages(files.normal, files.over, files.click, face ? faces.stateTooltip : faces.tooltip);
}

void CPlayMainDlg::OnPlayModeChanged() { ApplyButtonState(IDC_REPEAT_ONE); }

void CPlayMainDlg::FollowPanel() { ApplyButtonState(IDC_LIST); }

// ---------------------------------------------------------------- IPlayWindow

void CPlayMainDlg::SetTitle(const std::string& text) { m_pTitle->SetText(FromAnsi(text)); }

void CPlayMainDlg::SetTitleScrolling(bool scrolling) {
    m_bTitleRolling = scrolling;
    if (scrolling && IsSeen()) {
        m_pTitle->StartRolling();
    } else {
        m_pTitle->StopRolling();
    }
}

bool CPlayMainDlg::IsSeen() const { return isVisible() && !isMinimized(); }

void CPlayMainDlg::UpdateMotion() {
    // The title rolls and the picture moves only while they can be seen:
    // most of the time the player waits hidden in the tray.
    if (!IsSeen()) {
        m_pTitle->StopRolling();
        m_pAnimation->Stop();
        return;
    }
    if (m_bTitleRolling && !m_pTitle->IsRolling()) m_pTitle->StartRolling();
    if (m_animation == Animation::Playing) m_pAnimation->ShowPicture();
}

void CPlayMainDlg::SetTimeText(const std::string& text) { m_pTime->SetText(FromAnsi(text)); }

void CPlayMainDlg::SetDurationText(const std::string& text) { m_pDuration->SetText(FromAnsi(text)); }

void CPlayMainDlg::ShowPauseImage(bool pause) {
    m_bPauseImage = pause;
    ApplyButtonState(IDC_PLAY_PAUSE);
}

void CPlayMainDlg::SetAnimation(Animation animation) {
    m_animation = animation;
    if (animation == Animation::Paused) {
        m_pAnimation->Stop();
        return;
    }
    const std::string& file = animation == Animation::Playing ? m_animationFiles.playing : m_animationFiles.stopped;
    if (file.empty()) {
        // A skin without the picture (the mini skins): nothing animates.
        m_pAnimation->UnLoad();
        m_loadedAnimation.clear();
        return;
    }
    if (file != m_loadedAnimation) {
        m_loadedAnimation = file;
        if (!m_pAnimation->LoadPicture(file)) Trace("SetAnimation===%s not loaded", file.c_str());
    }
    // A still picture is drawn at once; an animation waits until it is seen.
    if (animation == Animation::Stopped || IsSeen()) m_pAnimation->ShowPicture();
}

void CPlayMainDlg::EnablePositionSlider(bool enable) { m_pPosition->SetEnabled(enable); }

void CPlayMainDlg::SetPositionRange(int seconds) { m_pPosition->SetValueRange(0, seconds, true); }

void CPlayMainDlg::SetPositionValue(int seconds) {
    // The thumb under the user's hand stays where it is put.
    if (!m_pPosition->IsDragging()) m_pPosition->SetValue(seconds);
}

int CPlayMainDlg::SliderValue(int control) const {
    if (control == IDC_VOLUME_SLIDER) return VolumeToSlider(m_pVolume->GetValue());
    return m_pPosition->GetValue();
}

// ---------------------------------------------------------------- sound

int CPlayMainDlg::VolumeToSlider(int volume) const { return m_bVolumeReversed ? kVolumeMax - volume : volume; }

void CPlayMainDlg::ApplyVolume(int volume) {
    if (m_engine->get_mute()) {
        // The slider shows 0 until the sound comes back.
        m_engine->put_volume(volume);
        return;
    }
    m_pVolume->SetValue(VolumeToSlider(volume));
    // The slider's own path: the controller keeps the volume and tells the engine.
    m_controller->DispatchMessage(WM_SLIDER_DRAGEND, IDC_VOLUME_SLIDER, volume);
}

void CPlayMainDlg::SetVolume(int volume) { ApplyVolume(std::clamp(volume, 0, kVolumeMax)); }

void CPlayMainDlg::SeekTo(int seconds) {
    // The thumb is put where the song should go on, then let go there.
    m_pPosition->SetValue(seconds);
    m_controller->DispatchMessage(WM_SLIDER_DRAGEND, IDC_POSITION_SLIDER, 0);
}

void CPlayMainDlg::SeekBy(int seconds) {
    // Only a song that can be moved in, as with the slider.
    if (!m_pPosition->IsSliderEnabled()) return;
    SeekTo(std::clamp(m_pPosition->GetValue() + seconds, m_pPosition->Minimum(), m_pPosition->Maximum()));
}

void CPlayMainDlg::StepVolume(int steps) { ApplyVolume(SteppedVolume(m_engine->get_volume(), steps)); }

void CPlayMainDlg::OnMute() {
    const bool mute = !m_engine->get_mute();
    m_engine->put_mute(mute);
    m_controller->SetMute(mute);
    ApplyButtonState(IDC_MUTE);
    m_pVolume->SetValue(VolumeToSlider(mute ? 0 : m_engine->get_volume()));
}

// ---------------------------------------------------------------- commands

void CPlayMainDlg::OnPlayPause() {
    if (m_controller->State() == 2) {
        // Stopped: the panel starts its selected song; without a panel the
        // last song, if its address is still known, starts again.
        if (IPanelWindow* panel = m_frame.Panel()) {
            panel->PlaySelectedSong();
        } else {
            m_controller->ButtonPlay();
        }
        return;
    }
    m_controller->OnCommand(kCmdPlayPause);
}

void CPlayMainDlg::OnRepeatOne() {
    const IPanelWindow* panel = m_frame.Panel();
    if (panel == nullptr) return;
    SetPlayMode(panel->PlayMode() != kModeRepeatOne ? kModeRepeatOne : kModeRepeatList);
}

void CPlayMainDlg::SetPlayMode(int mode) {
    IPanelWindow* panel = m_frame.Panel();
    if (panel == nullptr) return;
    panel->SetPlayMode(mode);
    OnPlayModeChanged();
}

void CPlayMainDlg::ToggleCompanion(CShownCompanions::Which which) {
    ICompanionWindow* window = CShownCompanions::Find(m_frame, which);
    if (window == nullptr) return;
    window->ShowWindow(!window->IsShown());
    if (which == CShownCompanions::kPanel) {
        DockPanel();
        ApplyButtonState(IDC_LIST);
    }
}

void CPlayMainDlg::OnMiniMode() {
    hide();
    IPanelWindow* panel = m_frame.Panel();
    const unsigned others = CShownCompanions::kLyric | CShownCompanions::kBrowser;
    if (!m_looks.MiniMode()) {
        m_looks.SetMiniMode(true);
        if (panel) panel->ShowWindow(false);
        LoadSkin(m_looks.MiniSkin());
        m_miniShown.Remember(m_frame, others);
        m_miniShown.ForEach(m_frame, [](ICompanionWindow& window) { window.ShowWindow(false); });
    } else {
        m_looks.SetMiniMode(false);
        LoadSkin(m_looks.Skin());
        m_miniShown.ForEach(m_frame, [](ICompanionWindow& window) { window.ShowWindow(true); });
        m_miniShown = {};
        if (panel) panel->ShowWindow(true);
    }
    ApplyButtonState(IDC_MINI_MODE);
    ApplyButtonState(IDC_LIST);
    show();
    DockPanel();
    update();
}

void CPlayMainDlg::OnRotate() {
    if (!m_looks.Rotate() || !m_looks.MiniMode()) return;
    LoadSkin(m_looks.MiniSkin());
    show();
}

void CPlayMainDlg::ChooseSkin(const char* skin) {
    if (!m_looks.ChooseSkin(skin, m_places.settingsFile)) return;
    hide();
    CShownCompanions shown;
    shown.Remember(m_frame, CShownCompanions::kAll);
    shown.ForEach(m_frame, [](ICompanionWindow& window) { window.ShowWindow(false); });
    LoadSkin(m_looks.CurrentFolder());
    for (auto which : {CShownCompanions::kPanel, CShownCompanions::kBrowser, CShownCompanions::kLyric}) {
        if (ICompanionWindow* window = CShownCompanions::Find(m_frame, which)) window->SetSkin(m_looks.Skin());
    }
    shown.ForEach(m_frame, [](ICompanionWindow& window) { window.ShowWindow(true); });
    show();
    DockPanel();
}

void CPlayMainDlg::OnSearch() {
    QString text = m_pSearch->text();
    if (text.isEmpty() || text == CEditTrans::PlaceholderText()) text = m_pSearch->SavedText();
    const SearchVerdict verdict = CheckSearchText(text);
    m_pSearch->setText(CEditTrans::PlaceholderText());
    if (verdict != SearchVerdict::Accepted) {
        m_frame.ShowMessageWindow(this, SearchRefusal(verdict));
        return;
    }
    if (IBrowserWindow* browser = m_frame.Browser()) {
        browser->Search(ToNarrow(text.toStdU16String()));
    } else {
        Trace("OnSearch===No library window.");
    }
}

void CPlayMainDlg::OnMyPage() {
    if (m_looks.MiniMode()) {
        m_frame.ShowMessageWindow(this, Cp936("请切换为外观模式进行登录！"));
        return;
    }
    const IPanelWindow* panel = m_frame.Panel();
    const std::string user = panel ? panel->UserName() : std::string();
    const std::string password = panel ? panel->Password() : std::string();
    // The address holds the password: no program's arguments may.
    if (!tonvik::platform::OpenUrlPrivately(MyPageAddress(ReadServiceHosts(), user, password)))
        Trace("OnMyPage===The browser could not be started.");
}

void CPlayMainDlg::OnLogOut() {
    if (!m_session.LogOut() || m_controller->ListKind() != kListAlbum) return;
    if (IPanelWindow* panel = m_frame.Panel()) panel->ClearPlayingAlbum();
    m_controller->DoStop(0, "OnUnreg");
}

void CPlayMainDlg::OnTopMost() { m_frame.SetTopMost(!m_frame.IsTopMost()); }

void CPlayMainDlg::PopupMenu(int menuId, int buttonId) {
    QMenu menu(this);
    if (menuId == IDR_MAIN_MENU) {
        const IPanelWindow* panel = m_frame.Panel();
        PlayerMenuState state;
        state.muted = m_engine->get_mute();
        state.topMost = m_frame.IsTopMost();
        state.playMode = panel ? panel->PlayMode() : -1;
        state.hasPanel = panel != nullptr;
        state.hasBrowser = m_frame.Browser() != nullptr;
        state.hasLyric = m_frame.Lyric() != nullptr;
        state.recommendationsShown = panel && panel->ShowsRecommendations();
        BuildMainMenu(menu, state);
    } else {
        BuildSkinMenu(menu, m_looks.Skin());
    }
    const QWidget* button = Button(buttonId);
    const QPoint at = button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos();
    if (const int command = MenuCommand(menu.exec(at))) OnCommand(command);
}

// ---------------------------------------------------------------- keys

bool CPlayMainDlg::PerformKey(PlayerKey action) {
    switch (action) {
    case PlayerKey::PlayPause: OnCommand(IDC_PLAY_PAUSE); return true;
    case PlayerKey::Next: OnCommand(IDC_NEXT); return true;
    case PlayerKey::Previous: OnCommand(IDC_PREVIOUS); return true;
    case PlayerKey::SeekForward: SeekBy(CPlayerKeyMap::kSeekStepSeconds); return true;
    case PlayerKey::SeekBack: SeekBy(-CPlayerKeyMap::kSeekStepSeconds); return true;
    case PlayerKey::VolumeUp: OnCommand(IDC_VOLUME_UP); return true;
    case PlayerKey::VolumeDown: OnCommand(IDC_VOLUME_DOWN); return true;
    case PlayerKey::Mute: OnCommand(IDC_MUTE); return true;
    case PlayerKey::FocusSearch: FocusSearch(); return true;
    case PlayerKey::ToggleLyric: OnCommand(IDC_LYRIC); return true;
    case PlayerKey::RefreshPage:
        if (IPanelWindow* panel = m_frame.Panel()) panel->RefreshShownPage();
        return true;
    case PlayerKey::LeaveSearch:
        // The box puts its cue text back as it loses the focus.
        setFocus(Qt::OtherFocusReason);
        return true;
    case PlayerKey::None: break;
    }
    return false;
}

void CPlayMainDlg::FocusSearch() {
    if (!m_pSearch->isVisible()) return;
    ShowAndRestore();
    m_pSearch->setFocus(Qt::ShortcutFocusReason);
    if (m_pSearch->text() == CEditTrans::PlaceholderText()) {
        m_pSearch->clear();
    } else {
        m_pSearch->selectAll();
    }
}

void CPlayMainDlg::keyPressEvent(QKeyEvent* event) {
    const PlayerKey action = CPlayerKeyMap::Map(event->key(), event->modifiers(), KeyFocusOf(focusWidget()));
    if (action != PlayerKey::None && PerformKey(action)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- window

LRESULT CPlayMainDlg::OnSysCommand(WPARAM command) {
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        // The windows beside the player follow it (changeEvent).
        showMinimized();
        break;
    case SC_RESTORE:
        ShowAndRestore();
        break;
    case SC_CLOSE:
        HidePlayer();
        break;
    default:
        break;
    }
    return 0;
}

void CPlayMainDlg::HidePlayer() {
    // The program keeps running; the tray or a second start brings it back.
    hide();
}

void CPlayMainDlg::ShowAndRestore() {
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void CPlayMainDlg::DockPanel() {
    m_frame.RestoreDragSetting();
    IPanelWindow* panel = m_frame.Panel();
    if (panel == nullptr) return;
    const bool active = isActiveWindow();
    if (const std::optional<QRect> place = PanelDockRect(m_looks.Skin(), m_looks.MiniMode(), pos())) panel->DockAt(*place);
    panel->BringToFront();
    if (active) activateWindow();
}

void CPlayMainDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_background.isNull()) {
        painter.fillRect(rect(), kPlainBackground);
    } else {
        painter.drawImage(0, 0, m_background);
    }
}

void CPlayMainDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Dragged by its body; the panel comes to the front with it.
    if (IPanelWindow* panel = m_frame.Panel()) panel->BringToFront();
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    // Without a window manager that moves windows, the window moves itself.
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void CPlayMainDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragOffset) move(event->globalPosition().toPoint() - *m_dragOffset);
    QWidget::mouseMoveEvent(event);
}

void CPlayMainDlg::mouseReleaseEvent(QMouseEvent* event) {
    m_dragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

void CPlayMainDlg::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    DockPanel();
}

void CPlayMainDlg::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    UpdateMotion();
}

void CPlayMainDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateMotion();
    if (m_shadow || !CWndShadow::ShadowsAvailable()) return;
    // The shadow is made once the window is on the screen, so that the
    // first picture of the player is not kept waiting for it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_shadow || m_bClosing) return;
            m_shadow = std::make_unique<CWndShadow>();
            if (!m_shadow->Create(this)) {
                m_shadow.reset();
                return;
            }
            ApplyShadowLook();
        },
        Qt::QueuedConnection);
}

void CPlayMainDlg::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        // The panel may have been opened or closed from its own window.
        ApplyButtonState(IDC_LIST);
        return;
    }
    if (event->type() != QEvent::WindowStateChange) return;
    UpdateMotion();
    const bool wasMinimized = static_cast<QWindowStateChangeEvent*>(event)->oldState().testFlag(Qt::WindowMinimized);
    if (isMinimized() && !wasMinimized) {
        m_minimizedShown.Remember(m_frame, CShownCompanions::kAll);
        m_minimizedShown.ForEach(m_frame, [](ICompanionWindow& window) { window.MinimizeWindow(); });
    } else if (!isMinimized() && wasMinimized) {
        m_minimizedShown.ForEach(m_frame, [](ICompanionWindow& window) { window.RestoreWindow(); });
        m_minimizedShown = {};
    }
}

void CPlayMainDlg::closeEvent(QCloseEvent* event) {
    // The window system's close is the close button's: the program stays.
    event->ignore();
    OnSysCommand(SC_CLOSE);
}

// ---------------------------------------------------------------- the orderly close

void CPlayMainDlg::CloseApp() {
    if (m_bClosing) return;
    m_bClosing = true;
    TRACE_SCOPE("CloseApp...");
    try {
        // The music ends the moment the user asks to leave, not after the
        // waits below (seconds with a hung worker): muted, and paused so
        // nothing the output still holds plays on.
        m_engine->put_mute(true);
        m_engine->pause();
        // Nothing of the program stays on the screen while the close waits
        // for the album worker.
        hide();
        CShownCompanions shown;
        shown.Remember(m_frame, CShownCompanions::kAll);
        shown.ForEach(m_frame, [](ICompanionWindow& window) { window.ShowWindow(false); });

        m_session.SaveAndSignOff();
        m_controller->SetClosing();
        m_pTitle->StopRolling();
        m_pAnimation->Stop();
        m_controller->OnButtonStop();
        // What was stopped settles before the process goes.
        std::this_thread::sleep_for(kCloseSettle);
        Trace("===Over!===");
    } catch (const std::exception&) {
        Trace("CloseApp,Exception!");
    } catch (...) {
        Trace("CloseApp,Exception!");
    }
    // The user asked to leave: the program ends even when a step failed.
    m_frame.EndProcessWith(0);
}
