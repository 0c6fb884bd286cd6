#include "platform/StripMover.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <pthread.h>

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

namespace tonvik::platform {
namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// X11: the frame is a child window of the program's window whose background
// is the ground; the strip is a child of the frame whose background is the
// strip's picture. A step is one request that moves the strip's window: the
// server copies what stays visible and paints what comes into view from the
// background. Neither window takes input: pointer events go on to the
// program's window beneath as if they were not there.
class CX11StripMover final : public IStripMover {
public:
    explicit CX11StripMover(std::chrono::milliseconds period) : m_period(period) {}

    ~CX11StripMover() override {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) m_thread.join();
        if (m_connection) {
            DestroyWindows();
            xcb_disconnect(m_connection);
        }
    }

    bool Show(const Scene& scene, int position) override {
        std::unique_lock lock(m_mutex);
        if (!Acceptable(scene) || !Connected()) {
            HideLocked();
            return false;
        }
        if (scene.window != m_parent || m_frame == 0) {
            DestroyWindows();
            if (!CreateWindows(static_cast<xcb_window_t>(scene.window))) {
                HideLocked();
                return false;
            }
        }
        m_rule = scene.rule;
        m_position = position;
        const QRect& frame = scene.frame;
        SetBackground(m_frame, scene.ground);
        SetBackground(m_strip, scene.strip);
        const uint32_t frameGeometry[] = {uint32_t(frame.x()), uint32_t(frame.y()), uint32_t(frame.width()),
                                          uint32_t(frame.height()), XCB_STACK_MODE_ABOVE};
        xcb_configure_window(m_connection, m_frame,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                             frameGeometry);
        const uint32_t stripGeometry[] = {uint32_t(-position), 0, uint32_t(scene.strip.width()),
                                          uint32_t(scene.strip.height())};
        xcb_configure_window(m_connection, m_strip,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             stripGeometry);
        // A new background shows only where the window is painted again.
        xcb_clear_area(m_connection, 0, m_frame, 0, 0, 0, 0);
        xcb_clear_area(m_connection, 0, m_strip, 0, 0, 0, 0);
        xcb_map_window(m_connection, m_strip);
        xcb_map_window(m_connection, m_frame);
        // One round trip: whatever the server refused shows now, not as a
        // picture that silently never came.
        if (!Synced()) {
            DestroyWindows();
            m_running = false;
            return false;
        }
        m_shown = true;
        return true;
    }

    void Start() override {
        {
            std::lock_guard lock(m_mutex);
            if (!m_shown) return;
            m_running = true;
            if (!m_thread.joinable()) {
                m_thread = std::thread([this] { Run(); });
                // Told apart from the program's other threads in a process list.
                pthread_setname_np(m_thread.native_handle(), "strip mover");
            }
        }
        m_wake.notify_all();
    }

    void Step() override {
        std::lock_guard lock(m_mutex);
        if (!m_shown) return;
        StepLocked();
        // A step taken by hand is on the screen when it returns.
        if (m_shown) Synced();
    }

    void Stop() override {
        {
            std::lock_guard lock(m_mutex);
            m_running = false;
        }
        m_wake.notify_all();
    }

    void Hide() override {
        {
            std::lock_guard lock(m_mutex);
            HideLocked();
        }
        m_wake.notify_all();
    }

    bool Shown() const override {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }

    bool Running() const override {
        std::lock_guard lock(m_mutex);
        return m_running;
    }

    int Position() const override {
        std::lock_guard lock(m_mutex);
        return m_position;
    }

private:
    // Every so many steps the connection's queue is looked at: errors
    // (the program's window went away) are the only thing that arrives.
    static constexpr int kStepsPerErrorCheck = 50;

    bool Acceptable(const Scene& scene) const {
        const QRect& frame = scene.frame;
        return scene.window != 0 && !frame.isEmpty() && frame.width() <= kMaxSide && frame.height() <= kMaxSide &&
               scene.ground.size() == frame.size() && !scene.strip.isNull() && scene.strip.height() == frame.height() &&
               scene.strip.width() <= kMaxSide && scene.rule;
    }

    bool Connected() {
        if (m_connection) return xcb_connection_has_error(m_connection) == 0;
        // The program's windows are on the display of its environment: it
        // takes no command line that would name another.
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection) != 0) return false;
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        // Pictures are sent as the host's 32-bit words.
        m_bLsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
        m_nMaxRequestBytes = std::min<size_t>(size_t(xcb_get_maximum_request_length(m_connection)) * 4, 1 << 20);
        return true;
    }

    // The parent's depth and visual, when the mover can draw in them:
    // true colour, 8 bits a channel in 32-bit pixels, the host's byte order.
    bool TakeParent(xcb_window_t parent) {
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, parent), nullptr));
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, parent), nullptr));
        if (!geometry || !attributes) return false;
        if (!m_bLsbFirst || std::endian::native != std::endian::little) return false;
        if (geometry->depth != 24 && geometry->depth != 32) return false;
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        bool format = false;
        for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
            if (it.data->depth == geometry->depth) format = it.data->bits_per_pixel == 32;
        if (!format) return false;
        for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens)) {
            for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem; xcb_depth_next(&depths)) {
                if (depths.data->depth != geometry->depth) continue;
                for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
                     xcb_visualtype_next(&visuals)) {
                    const xcb_visualtype_t& visual = *visuals.data;
                    if (visual.visual_id != attributes->visual) continue;
                    if (visual._class != XCB_VISUAL_CLASS_TRUE_COLOR || visual.red_mask != 0xFF0000 ||
                        visual.green_mask != 0xFF00 || visual.blue_mask != 0xFF)
                        return false;
                    m_depth = geometry->depth;
                    m_visual = attributes->visual;
                    return true;
                }
            }
        }
        return false;
    }

    bool CreateWindows(xcb_window_t parent) {
        if (!TakeParent(parent)) return false;
        m_parent = parent;
        m_frame = xcb_generate_id(m_connection);
        m_strip = xcb_generate_id(m_connection);
        // No event mask: the windows take no input, the pointer's events
        // go on to the program's window.
        const uint32_t values[] = {0, 0, XCB_COPY_FROM_PARENT};
        const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP;
        xcb_create_window(m_connection, m_depth, m_frame, parent, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          m_visual, mask, values);
        xcb_create_window(m_connection, m_depth, m_strip, m_frame, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          m_visual, mask, values);
        m_nStepsSinceCheck = 0;
        return true;
    }

    void DestroyWindows() {
        if (m_frame != 0) {
            // The strip goes with its frame.
            xcb_destroy_window(m_connection, m_frame);
            xcb_flush(m_connection);
        }
        m_frame = m_strip = 0;
        m_parent = 0;
        m_shown = false;
    }

    void HideLocked() {
        m_running = false;
        if (m_shown) {
            xcb_unmap_window(m_connection, m_frame);
            // Gone from the screen when this returns: what the program
            // draws there next is not covered by a late picture.
            Synced();
        }
        m_shown = false;
    }

    // The picture becomes the window's background: the server paints it
    // wherever the window comes into view. The pixmap can go at once, the
    // window keeps its own reference.
    void SetBackground(xcb_window_t window, const QImage& picture) {
        const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
        const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
        xcb_create_pixmap(m_connection, m_depth, pixmap, window, uint16_t(pixels.width()), uint16_t(pixels.height()));
        const xcb_gcontext_t gc = xcb_generate_id(m_connection);
        xcb_create_gc(m_connection, gc, pixmap, 0, nullptr);
        const size_t rowBytes = size_t(pixels.bytesPerLine());
        // A request's header and the picture's rows, in bands that fit.
        const int rowsPerBand = std::max(1, int((m_nMaxRequestBytes - 64) / rowBytes));
        for (int top = 0; top < pixels.height(); top += rowsPerBand) {
            const int rows = std::min(rowsPerBand, pixels.height() - top);
            xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(pixels.width()),
                          uint16_t(rows), 0, int16_t(top), 0, m_depth, uint32_t(rowBytes * size_t(rows)),
                          pixels.constScanLine(top));
        }
        xcb_free_gc(m_connection, gc);
        const uint32_t value = pixmap;
        xcb_change_window_attributes(m_connection, window, XCB_CW_BACK_PIXMAP, &value);
        xcb_free_pixmap(m_connection, pixmap);
    }

    // Waits for the server to have handled everything sent; false when any
    // of it was refused or the connection broke.
    bool Synced() {
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return !TookErrors() && xcb_connection_has_error(m_connection) == 0;
    }

    bool TookErrors() {
        bool errors = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            errors = errors || event->response_type == 0;
            std::free(event);
        }
        return errors;
    }

    void StepLocked() {
        m_position = m_rule(m_position);
        const uint32_t x = uint32_t(-m_position);
        xcb_configure_window(m_connection, m_strip, XCB_CONFIG_WINDOW_X, &x);
        if (++m_nStepsSinceCheck >= kStepsPerErrorCheck) {
            m_nStepsSinceCheck = 0;
            // The program's window (and with it the scene) went away: the
            // motion ends until the scene is shown again.
            if (TookErrors() || xcb_connection_has_error(m_connection) != 0) {
                m_frame = m_strip = 0;
                m_parent = 0;
                m_shown = false;
                m_running = false;
                return;
            }
        }
        xcb_flush(m_connection);
    }

    // The ticks, on an absolute schedule: a late tick does not push the
    // ones after it, a long delay (the machine was busy) is not made up in
    // a burst.
    void Run() {
        std::unique_lock lock(m_mutex);
        auto next = std::chrono::steady_clock::now() + m_period;
        bool wasRunning = false;
        while (!m_quit) {
            if (!m_running) {
                wasRunning = false;
                m_wake.wait(lock, [this] { return m_quit || m_running; });
                continue;
            }
            if (!wasRunning) {
                wasRunning = true;
                next = std::chrono::steady_clock::now() + m_period;
            }
            if (m_wake.wait_until(lock, next, [this] { return m_quit || !m_running; })) continue;
            StepLocked();
            next += m_period;
            const auto now = std::chrono::steady_clock::now();
            if (next <= now) next = now + m_period;
        }
    }

    static constexpr int kMaxSide = 32767;

    const std::chrono::milliseconds m_period;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    bool m_quit = false;
    bool m_running = false;
    bool m_shown = false;

    xcb_connection_t* m_connection = nullptr;
    bool m_bLsbFirst = false;
    size_t m_nMaxRequestBytes = 0;
    uint8_t m_depth = 0;
    xcb_visualid_t m_visual = 0;
    xcb_window_t m_parent = 0;
    xcb_window_t m_frame = 0;
    xcb_window_t m_strip = 0;

    StepRule m_rule;
    int m_position = 0;
    int m_nStepsSinceCheck = 0;
};

}  // namespace

std::unique_ptr<IStripMover> CreateStripMover(std::chrono::milliseconds period) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    return std::make_unique<CX11StripMover>(period);
}

}  // namespace tonvik::platform
