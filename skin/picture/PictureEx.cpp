#include "skin/picture/PictureEx.h"

#include "common/Bitmap.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"
#include "skin/SkinPaths.h"
#include "skin/picture/GifFrames.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QImageReader>
#include <QPainter>
#include <QPalette>

#include <exception>
#include <fstream>
#include <mutex>
#include <utility>

namespace {

// The widest strip a window system is given (X11 counts in 16 bits).
constexpr int kMaxStripWidth = 32767;

const QEvent::Type kFrameDrawnEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

const CAnimationFrames& NoFrames() {
    static const CAnimationFrames none;
    return none;
}

bool AcceptableSize(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide;
}

// Decodes one picture held in memory, refusing sizes past the limits
// before any pixel memory is taken.
QImage DecodePicture(std::string_view data) {
    QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && !AcceptableSize(size)) return {};
    QImage image = reader.read();
    if (image.isNull() || !AcceptableSize(image.size())) return {};
    return image;
}

}  // namespace

// Lets the animation thread post "a frame was drawn" to the control for as
// long as the control wants it; once cut, nothing reaches the control.
class CPictureEx::CUpdateLink {
public:
    explicit CUpdateLink(QObject* target) : m_target(target) {}
    void Post() {
        std::lock_guard lock(m_mutex);
        if (m_target) QCoreApplication::postEvent(m_target, new QEvent(kFrameDrawnEvent));
    }
    void Cut() {
        std::lock_guard lock(m_mutex);
        m_target = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject* m_target;
};

CPictureEx::CPictureEx(QWidget* parent) : QWidget(parent), m_surface(std::make_shared<CPictureSurface>()) {}

CPictureEx::~CPictureEx() {
    UnLoad();
    CutUpdateLink();
}

void CPictureEx::SetSkin(std::string root, std::string folder) {
    m_strSkinRoot = std::move(root);
    m_strSkinFolder = std::move(folder);
    m_bSkinSet = true;
}

const CAnimationFrames& CPictureEx::Frames() const { return m_frames ? *m_frames : NoFrames(); }

QImage CPictureEx::Surface() const { return m_surface->Snapshot(); }

bool CPictureEx::LoadPicture(const std::filesystem::path& fileName) {
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in) {
        Trace("CPictureEx::LoadPicture : cannot open %s", fileName.string().c_str());
        UnLoad();
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > kMaxPictureFileBytes) {
        Trace("CPictureEx::LoadPicture : %s has %lld bytes", fileName.string().c_str(), static_cast<long long>(size));
        UnLoad();
        return false;
    }
    std::string data(static_cast<size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(data.data(), size)) {
        Trace("CPictureEx::LoadPicture : cannot read %s", fileName.string().c_str());
        UnLoad();
        return false;
    }
    return Load(data);
}

bool CPictureEx::Load(std::string_view data) {
    UnLoad();
    const bool loaded = CGifFrames::IsGif(data) ? LoadGif(data) : LoadStill(data);
    if (!loaded) UnLoad();
    return loaded;
}

bool CPictureEx::LoadStill(std::string_view data) {
    QImage picture = DecodePicture(data);
    if (picture.isNull()) {
        Trace("CPictureEx::Load : not a picture (%zu bytes)", data.size());
        return false;
    }
    m_picture = std::move(picture);
    return PrepareSurface(m_picture.width(), m_picture.height());
}

bool CPictureEx::LoadGif(std::string_view data) {
    m_bIsGif = true;
    const CGifFrames gif(data);
    if (!gif.Valid()) {
        Trace("CPictureEx::Load : GIF header cut short");
        return false;
    }
    const GifScreen& screen = gif.Screen();
    m_nGlobalCTSize = static_cast<int>(screen.colourTableSize);
    if (!AcceptableSize(QSize(screen.width, screen.height))) {
        Trace("CPictureEx::Load : GIF screen %d x %d refused", screen.width, screen.height);
        return false;
    }
    // Two frames are enough to know it is an animation.
    const size_t count = gif.CountFrames(2);
    if (count == 0) {
        Trace("CPictureEx::Load : GIF without frames");
        return false;
    }
    if (count == 1) {
        m_picture = DecodePicture(data);
        if (m_picture.isNull()) {
            Trace("CPictureEx::Load : GIF frame not decoded");
            return false;
        }
        return PrepareSurface(screen.width, screen.height);
    }

    auto frames = std::make_shared<CAnimationFrames>();
    long long pixels = 0;
    int index = 0;
    for (GifCutFrame& cut : gif.CutFrames(kMaxGifFrames)) {
        const GifFrameInfo& info = cut.info;
        const long long framePixels = static_cast<long long>(info.width) * info.height;
        if (framePixels <= 0 || pixels + framePixels > kMaxAnimationPixels) {
            Trace("CPictureEx::Load : frame %d (%d x %d) left out", index, info.width, info.height);
        } else if (QImage image = DecodePicture(cut.gif); image.isNull()) {
            Trace("CPictureEx::Load : frame %d not decoded", index);
        } else {
            pixels += framePixels;
            frames->push_back({std::move(image), info.left, info.top, info.width, info.height, info.delay, info.disposal});
        }
        cut.gif = std::string();  // the piece is no longer needed
        ++index;
    }
    if (gif.CountFrames(kMaxGifFrames + 1) > kMaxGifFrames) Trace("CPictureEx::Load : only the first %zu frames kept", kMaxGifFrames);
    if (frames->empty()) {
        Trace("CPictureEx::Load : no GIF frame decoded");
        return false;
    }
    m_frames = std::move(frames);
    return PrepareSurface(screen.width, screen.height);
}

namespace {

QColor SurfaceFill() { return QApplication::palette("QMenu").color(QPalette::Window); }

}  // namespace

bool CPictureEx::PrepareSurface(int width, int height) {
    resize(width, height);
    const QColor menu = SurfaceFill();
    if (!m_surface->Prepare(QSize(width, height), menu)) {
        Trace("CPictureEx::PrepareSurface : %d x %d not allocated", width, height);
        return false;
    }
    m_nWidth = width;
    m_nHeight = height;
    m_bIsInitialized = true;
    return true;
}

QImage CPictureEx::BackgroundImage() const {
    try {
        const std::string root = m_bSkinSet ? m_strSkinRoot : SkinRoot();
        const std::string folder = m_bSkinSet ? m_strSkinFolder : ReadSkinChoice(g_strIniFile);
        const CSkinDescription skin(root, folder);
        const std::string name = skin.Name(kPictureBackgroundSection);
        if (name.empty()) return {};
        const std::optional<CDib> bitmap = LoadBitmapFile(skin.Paths().Bitmap(name));
        return bitmap ? bitmap->ToImage() : QImage();
    } catch (const std::exception& error) {
        Trace("DrawBkBmp==exception! %s", error.what());
        return {};
    }
}

int CPictureEx::ShowPicture() {
    if (!m_bIsInitialized) return 0;
    const CAnimationFrames& frames = Frames();
    if (frames.size() > 1) {
        if (IsPlaying() || StartOnMover()) return 0;
        CutUpdateLink();
        m_link = std::make_shared<CUpdateLink>(this);
        CAnimationThread::Setup setup;
        setup.frames = m_frames;
        setup.surface = m_surface;
        setup.background = BackgroundImage();
        setup.startFrame = m_thread.CurrentFrame();
        setup.frameDrawn = [link = m_link] { link->Post(); };
        setup.observer = m_observer;
        m_thread.Start(std::move(setup));
        return 0;
    }
    if (frames.size() == 1) {
        m_surface->Draw(frames.front().image, frames.front().Rect());
    } else {
        m_surface->Draw(m_picture, QRect(0, 0, m_nWidth, m_nHeight));
    }
    update();
    return 1;
}

void CPictureEx::CutUpdateLink() {
    if (m_link) m_link->Cut();
    m_link.reset();
}

int CPictureEx::CurrentFrame() const {
    if (!m_bMoverShows) return m_thread.CurrentFrame();
    return m_strip->frameOfSlot[static_cast<size_t>(m_pMover->Position() / m_strip->slotWidth)];
}

bool CPictureEx::StartOnMover() {
    if (!m_bMoverAllowed || !isVisible() || devicePixelRatioF() != 1.0 || size() != PictureSize()) return false;
    QWidget* top = window();
    if (top->internalWinId() == 0) return false;
    if (!std::exchange(m_bStripComposed, true))
        m_strip = ComposeAnimationStrip(Frames(), PictureSize(), SurfaceFill(), BackgroundImage(), kMaxStripWidth);
    if (!m_strip) return false;
    if (m_moverPeriod != m_strip->period) {
        m_pMover = tonvik::platform::CreateStripMover(m_strip->period);
        m_moverPeriod = m_strip->period;
    }
    if (!m_pMover) return false;
    tonvik::platform::IStripMover::Scene scene;
    scene.window = top->internalWinId();
    scene.frame = QRect(mapTo(top, QPoint()), size());
    scene.ground = m_strip->strip.copy(0, 0, m_strip->slotWidth, height());
    scene.strip = m_strip->strip;
    scene.rule = [width = m_strip->slotWidth, total = m_strip->strip.width()](int position) {
        return (position + width) % total;
    };
    if (!m_pMover->Show(scene, m_strip->SlotOf(m_thread.CurrentFrame()) * m_strip->slotWidth)) {
        if (!std::exchange(m_bMoverFailTraced, true))
            Trace("CPictureEx::ShowPicture : the window system cannot show the animation, it is repainted each frame");
        return false;
    }
    m_bMoverShows = true;
    m_pMover->Start();
    return true;
}

void CPictureEx::LeaveMover() {
    if (!std::exchange(m_bMoverShows, false)) return;
    // The control shows the picture the window system showed last, and a
    // later start goes on from there.
    const int slot = m_pMover->Position() / m_strip->slotWidth;
    m_pMover->Hide();
    m_surface->Draw(m_strip->strip.copy(slot * m_strip->slotWidth, 0, m_strip->slotWidth, m_strip->strip.height()),
                    QRect(QPoint(0, 0), PictureSize()));
    m_thread.ResetFrame(m_strip->frameOfSlot[static_cast<size_t>(slot)]);
    update();
}

void CPictureEx::FollowMotion() {
    // A playing animation is shown again the way that suits where the
    // control is now.
    if (!IsPlaying()) return;
    Stop();
    ShowPicture();
}

void CPictureEx::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (m_bMoverShows) FollowMotion();
}

void CPictureEx::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window's native window may be a new one.
    if (m_bMoverAllowed) FollowMotion();
}

void CPictureEx::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_bMoverShows) FollowMotion();
}

void CPictureEx::Stop() {
    LeaveMover();
    const CAnimationThread::StopResult result = m_thread.Stop(m_stopTimeout);
    CutUpdateLink();
    if (result == CAnimationThread::StopResult::Abandoned) {
        Trace("CPictureEx::Stop()===time out.");
        // The abandoned thread may still hold the surface; draw from now on
        // into one of our own.
        auto surface = std::make_shared<CPictureSurface>();
        const QImage current = m_surface->Snapshot();
        if (!current.isNull() && surface->Prepare(current.size(), Qt::transparent)) surface->Draw(current, current.rect());
        m_surface = std::move(surface);
    }
}

void CPictureEx::UnLoad() {
    try {
        Stop();
        m_picture = QImage();
        m_frames.reset();
        m_surface->Clear();
        m_nWidth = 0;
        m_nHeight = 0;
        m_nGlobalCTSize = 0;
        m_bIsGif = false;
        m_bIsInitialized = false;
        m_thread.ResetFrame();
        m_strip.reset();
        m_bStripComposed = false;
    } catch (const std::exception&) {
        Trace("CPictureEx::UnLoad()===Exception.");
    }
}

void CPictureEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_surface->PaintTo(painter);
}

void CPictureEx::FollowTick(bool following) {
    m_bFollowTick = following;
    if (!following) Tick();
}

void CPictureEx::Tick() {
    if (std::exchange(m_bFramePending, false)) update();
}

bool CPictureEx::event(QEvent* event) {
    if (event->type() == kFrameDrawnEvent) {
        if (m_bFollowTick)
            m_bFramePending = true;
        else
            update();
        return true;
    }
    return QWidget::event(event);
}
