#include "platform/StripMover.h"

#include <QGuiApplication>

#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <pthread.h>

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace tonvik::platform {
namespace {

using Clock = std::chrono::steady_clock;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_sync_int64_t Int64(int64_t value) {
    return {int32_t(value >> 32), uint32_t(value & 0xFFFFFFFF)};
}
int64_t FromInt64(xcb_sync_int64_t value) { return (int64_t(value.hi) << 32) | int64_t(value.lo); }

// X11: the frame is a child window of the program's window whose background
// is the ground; the strip is a child of the frame whose background is the
// strip's picture. A step is one request that moves the strip's window: the
// server copies what stays visible and paints what comes into view from the
// background. Neither window takes input: pointer events go on to the
// program's window beneath as if they were not there.
//
// The steps are not sent one a period: the mover's thread sends the next
// few seconds' of them at once on a connection of its own, each behind a
// wait for the server's clock (the SYNC extension's "SERVERTIME" counter),
// and the server takes each when it is due. The thread wakes about once a
// second. Steps sent but not yet due are dropped (a stop, a new scene, a
// step by hand) by taking away the window they move, and by a counter of
// the batch that ends their waits at once.
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
            DropBatchLocked();
            DestroyWindows();
            xcb_disconnect(m_connection);
        }
        if (m_ticker) xcb_disconnect(m_ticker);
    }

    bool Show(const Scene& scene, int position) override {
        std::unique_lock lock(m_mutex);
        if (!Acceptable(scene) || !Connected()) {
            HideLocked();
            return false;
        }
        DropBatchLocked();
        if (scene.window != m_parent || m_frame == 0) {
            DestroyWindows();
            if (!CreateFrame(static_cast<xcb_window_t>(scene.window))) {
                HideLocked();
                return false;
            }
        }
        m_rule = scene.rule;
        m_position = position;
        const QRect& frame = scene.frame;
        const xcb_pixmap_t ground = Upload(scene.ground);
        const uint32_t background = ground;
        xcb_change_window_attributes(m_connection, m_frame, XCB_CW_BACK_PIXMAP, &background);
        // The window keeps its own reference.
        xcb_free_pixmap(m_connection, ground);
        if (m_stripPixmap != 0) xcb_free_pixmap(m_connection, m_stripPixmap);
        m_stripPixmap = Upload(scene.strip);
        m_stripSize = scene.strip.size();
        const uint32_t frameGeometry[] = {uint32_t(frame.x()), uint32_t(frame.y()), uint32_t(frame.width()),
                                          uint32_t(frame.height()), XCB_STACK_MODE_ABOVE};
        xcb_configure_window(m_connection, m_frame,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                             frameGeometry);
        // A new background shows only where the window is painted again.
        xcb_clear_area(m_connection, 0, m_frame, 0, 0, 0, 0);
        PlaceStrip();
        xcb_map_window(m_connection, m_frame);
        // One round trip: whatever the server refused shows now, not as a
        // picture that silently never came.
        if (!Synced(m_connection)) {
            DestroyWindows();
            m_running = false;
            return false;
        }
        m_shown = true;
        lock.unlock();
        m_wake.notify_all();
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
        {
            std::lock_guard lock(m_mutex);
            if (!m_shown) return;
            DropBatchLocked();
            m_position = m_rule(m_position);
            PlaceStrip();
            // A step taken by hand is on the screen when it returns.
            Synced(m_connection);
        }
        m_wake.notify_all();
    }

    void Stop() override {
        {
            std::lock_guard lock(m_mutex);
            m_running = false;
            if (m_shown && m_batch != 0) {
                DropBatchLocked();
                Synced(m_connection);
            }
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
        CatchUpLocked();
        return m_position;
    }

private:
    static constexpr int kMaxSide = 32767;
    // How far ahead the steps are sent, and when the next ones go.
    static constexpr std::chrono::milliseconds kAhead{2000};
    static constexpr std::chrono::milliseconds kRefill{1000};

    struct Queued {
        Clock::time_point due;
        int position;
    };

    bool Acceptable(const Scene& scene) const {
        const QRect& frame = scene.frame;
        return scene.window != 0 && !frame.isEmpty() && frame.width() <= kMaxSide && frame.height() <= kMaxSide &&
               scene.ground.size() == frame.size() && !scene.strip.isNull() && scene.strip.height() == frame.height() &&
               scene.strip.width() <= kMaxSide && scene.rule;
    }

    // The program's windows are on the display of its environment: it takes
    // no command line that would name another.
    static xcb_connection_t* Connect() { return xcb_connect(nullptr, nullptr); }

    bool Connected() {
        if (m_connection) return xcb_connection_has_error(m_connection) == 0;
        m_connection = Connect();
        if (xcb_connection_has_error(m_connection) != 0) return false;
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        // Pictures are sent as the host's 32-bit words.
        m_bLsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
        m_nMaxRequestBytes = std::min<size_t>(size_t(xcb_get_maximum_request_length(m_connection)) * 4, 1 << 20);
        m_serverTime = ServerTimeCounter(m_connection);
        return true;
    }

    // The server's clock in milliseconds, or 0 where it has no SYNC.
    static xcb_sync_counter_t ServerTimeCounter(xcb_connection_t* connection) {
        const xcb_query_extension_reply_t* sync = xcb_get_extension_data(connection, &xcb_sync_id);
        if (!sync || !sync->present) return 0;
        const Reply<xcb_sync_initialize_reply_t> version(xcb_sync_initialize_reply(
            connection, xcb_sync_initialize(connection, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION), nullptr));
        if (!version) return 0;
        const Reply<xcb_sync_list_system_counters_reply_t> counters(xcb_sync_list_system_counters_reply(
            connection, xcb_sync_list_system_counters(connection), nullptr));
        if (!counters) return 0;
        // Each entry: the counter (4 bytes), its resolution (8), the name's
        // length (2) and the name, padded to 4 bytes. Read by hand, within
        // the reply's length.
        const auto* data = reinterpret_cast<const uint8_t*>(counters.get() + 1);
        const size_t size = size_t(counters->length) * 4;
        size_t at = 0;
        for (uint32_t i = 0; i < counters->counters_len && at + 14 <= size; ++i) {
            uint32_t counter = 0;
            uint16_t length = 0;
            std::memcpy(&counter, data + at, 4);
            std::memcpy(&length, data + at + 12, 2);
            if (at + 14 + length > size) break;
            if (length == 10 && std::memcmp(data + at + 14, "SERVERTIME", 10) == 0) return counter;
            at += (14 + size_t(length) + 3) & ~size_t(3);
        }
        return 0;
    }

    // The parent's depth and visual, when the mover can draw in them:
    // true colour, 8 bits a channel in 32-bit pixels, the host's byte order.
    bool TakeParent(xcb_window_t parent) {
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, parent), nullptr));
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, parent), nullptr));
        if (!geometry || !attributes || m_serverTime == 0) return false;
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

    xcb_window_t NewWindow(xcb_window_t parent, QRect geometry) {
        const xcb_window_t window = xcb_generate_id(m_connection);
        // No event mask: the windows take no input, the pointer's events
        // go on to the program's window.
        const uint32_t values[] = {0, 0, XCB_COPY_FROM_PARENT};
        xcb_create_window(m_connection, m_depth, window, parent, int16_t(geometry.x()), int16_t(geometry.y()),
                          uint16_t(geometry.width()), uint16_t(geometry.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          m_visual, XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP, values);
        return window;
    }

    bool CreateFrame(xcb_window_t parent) {
        if (!TakeParent(parent)) return false;
        m_parent = parent;
        m_frame = NewWindow(parent, QRect(0, 0, 1, 1));
        return true;
    }

    // The strip at the position, in a window of its own made for it: steps
    // still on their way to the server move the window before it, which is
    // gone. The new one goes on top before the old one goes, so the title
    // never blinks.
    void PlaceStrip() {
        const xcb_window_t old = m_strip;
        m_strip = NewWindow(m_frame, QRect(QPoint(-m_position, 0), m_stripSize));
        const uint32_t background = m_stripPixmap;
        xcb_change_window_attributes(m_connection, m_strip, XCB_CW_BACK_PIXMAP, &background);
        xcb_map_window(m_connection, m_strip);
        if (old != 0) xcb_destroy_window(m_connection, old);
    }

    void DestroyWindows() {
        if (m_frame != 0) {
            // The strip goes with its frame.
            xcb_destroy_window(m_connection, m_frame);
            xcb_flush(m_connection);
        }
        if (m_stripPixmap != 0 && m_connection) xcb_free_pixmap(m_connection, m_stripPixmap);
        m_frame = m_strip = m_stripPixmap = 0;
        m_parent = 0;
        m_shown = false;
    }

    void HideLocked() {
        m_running = false;
        if (m_shown) {
            DropBatchLocked();
            xcb_unmap_window(m_connection, m_frame);
            // Gone from the screen when this returns: what the program
            // draws there next is not covered by a late picture.
            Synced(m_connection);
        }
        m_shown = false;
    }

    xcb_pixmap_t Upload(const QImage& picture) {
        const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
        const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
        xcb_create_pixmap(m_connection, m_depth, pixmap, m_frame, uint16_t(pixels.width()),
                          uint16_t(pixels.height()));
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
        return pixmap;
    }

    // Waits for the server to have handled everything sent; false when any
    // of it was refused or the connection broke.
    static bool Synced(xcb_connection_t* connection) {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        return !TookErrors(connection) && xcb_connection_has_error(connection) == 0;
    }

    static bool TookErrors(xcb_connection_t* connection) {
        bool errors = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            errors = errors || event->response_type == 0;
            std::free(event);
        }
        return errors;
    }

    // The steps that fell due since the last look.
    void CatchUpLocked() const {
        const Clock::time_point now = Clock::now();
        while (!m_queued.empty() && m_queued.front().due <= now) {
            m_position = m_queued.front().position;
            m_queued.pop_front();
        }
    }

    // The steps on their way are dropped: the strip stays where the last
    // due one put it.
    void DropBatchLocked() {
        if (m_batch == 0) return;
        CatchUpLocked();
        m_queued.clear();
        // Their window goes first, so that none of them shows; then their
        // waits end at once. The ticker frees the counter after them.
        PlaceStrip();
        xcb_sync_set_counter(m_connection, m_batch, Int64(1));
        xcb_flush(m_connection);
        xcb_sync_destroy_counter(m_ticker, m_batch);
        xcb_flush(m_ticker);
        m_batch = 0;
    }

    // A new batch: its counter, and where the server's clock stands.
    bool BeginBatchLocked() {
        if (!m_ticker) {
            m_ticker = Connect();
            std::free(xcb_sync_initialize_reply(
                m_ticker, xcb_sync_initialize(m_ticker, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION), nullptr));
        }
        if (xcb_connection_has_error(m_ticker) != 0) return false;
        TookErrors(m_ticker);
        const xcb_sync_counter_t batch = xcb_generate_id(m_ticker);
        xcb_sync_create_counter(m_ticker, batch, Int64(0));
        // The clock is read on the ticker's own connection: the reply also
        // says that the counter exists before anyone sets it.
        const Reply<xcb_sync_query_counter_reply_t> time(
            xcb_sync_query_counter_reply(m_ticker, xcb_sync_query_counter(m_ticker, m_serverTime), nullptr));
        if (!time) return false;
        m_batch = batch;
        m_batchServerStart = FromInt64(time->counter_value);
        m_batchLocalStart = Clock::now();
        m_batchStrip = m_strip;
        m_nQueuedSteps = 0;
        m_queuedPosition = m_position;
        return true;
    }

    // Sends the steps due up to kAhead from now; the time the next ones go.
    Clock::time_point FillLocked() {
        const Clock::time_point until = Clock::now() + kAhead;
        Clock::time_point due;
        do {
            ++m_nQueuedSteps;
            const auto offset = m_period * m_nQueuedSteps;
            due = m_batchLocalStart + offset;
            m_queuedPosition = m_rule(m_queuedPosition);
            const xcb_sync_waitcondition_t waits[] = {
                {{m_serverTime, XCB_SYNC_VALUETYPE_ABSOLUTE, Int64(m_batchServerStart + offset.count()),
                  XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON},
                 Int64(0)},
                {{m_batch, XCB_SYNC_VALUETYPE_ABSOLUTE, Int64(1), XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON}, Int64(0)}};
            xcb_sync_await(m_ticker, 2, waits);
            const uint32_t x = uint32_t(-m_queuedPosition);
            xcb_configure_window(m_ticker, m_batchStrip, XCB_CONFIG_WINDOW_X, &x);
            m_queued.push_back({due, m_queuedPosition});
        } while (due < until);
        xcb_flush(m_ticker);
        // The only thing that comes back: errors of steps whose window went.
        TookErrors(m_ticker);
        return m_queued.back().due - kRefill;
    }

    void Run() {
        std::unique_lock lock(m_mutex);
        while (!m_quit) {
            if (!m_running || !m_shown) {
                m_wake.wait(lock, [this] { return m_quit || (m_running && m_shown); });
                continue;
            }
            // Steps that fell more than a period behind (the thread was
            // held up) are not made up in a burst: the batch starts anew.
            if (m_batch != 0 && m_batchLocalStart + m_period * (m_nQueuedSteps + 1) < Clock::now() - m_period)
                DropBatchLocked();
            if (m_batch == 0 && !BeginBatchLocked()) {
                // No clock to wait for: the strip stands still.
                m_running = false;
                continue;
            }
            const Clock::time_point next = FillLocked();
            const xcb_sync_counter_t batch = m_batch;
            m_wake.wait_until(lock, next, [this, batch] { return m_quit || !m_running || m_batch != batch; });
        }
    }

    const std::chrono::milliseconds m_period;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    bool m_quit = false;
    bool m_running = false;
    bool m_shown = false;

    xcb_connection_t* m_connection = nullptr;  // the windows, their pictures
    xcb_connection_t* m_ticker = nullptr;      // the steps and their waits
    bool m_bLsbFirst = false;
    size_t m_nMaxRequestBytes = 0;
    xcb_sync_counter_t m_serverTime = 0;
    uint8_t m_depth = 0;
    xcb_visualid_t m_visual = 0;
    xcb_window_t m_parent = 0;
    xcb_window_t m_frame = 0;
    xcb_window_t m_strip = 0;
    xcb_pixmap_t m_stripPixmap = 0;
    QSize m_stripSize;

    StepRule m_rule;
    mutable int m_position = 0;

    xcb_sync_counter_t m_batch = 0;  // 0: no steps on their way
    int64_t m_batchServerStart = 0;
    Clock::time_point m_batchLocalStart;
    xcb_window_t m_batchStrip = 0;
    int m_nQueuedSteps = 0;
    int m_queuedPosition = 0;
    mutable std::deque<Queued> m_queued;
};

}  // namespace

std::unique_ptr<IStripMover> CreateStripMover(std::chrono::milliseconds period) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    return std::make_unique<CX11StripMover>(period);
}

}  // namespace tonvik::platform
