#pragma once
// Writing the parts of a skinned window: each takes the finished window
// bitmap, cuts the piece under the control from it, draws the control's
// images on that piece and records the section in the description.

#include "Art.h"
#include "SkinWriter.h"

#include <QRect>

#include <string>

class CWindowParts {
public:
    CWindowParts(CSkinWriter& writer, const Theme& theme, const QImage& window)
        : m_writer(writer), m_theme(theme), m_window(window) {}

    const QImage& Window() const { return m_window; }
    QImage Crop(const QRect& rect) const { return CropLayout(m_window, rect); }

    // Normal, "Over" and "Click" images, plus "Disable" or "Current" when asked.
    void Button(const std::string& section, const QRect& rect, const std::string& name, ButtonLook look, Glyph glyph,
                const QString& text = {}, bool disable = false, bool current = false);
    // A button's images in its other state: section with "Name" only.
    void StateImages(const std::string& section, const QRect& rect, const std::string& name, ButtonLook look,
                     Glyph glyph, const QString& text = {});
    // A background piece ("Name".bmp) with geometry.
    void Picture(const std::string& section, const QRect& rect, const std::string& name);
    // A horizontal slider: channel, filled channel and a keyed round thumb.
    void Slider(const std::string& section, const QRect& rect, const std::string& name, bool lowToHigh);
    void Area(const std::string& section, const QRect& rect) { m_writer.Geometry(section, rect); }

private:
    void Faces(const std::string& name, const QRect& rect, ButtonLook look, Glyph glyph, const QString& text,
               bool disable, bool current);

    CSkinWriter& m_writer;
    const Theme& m_theme;
    QImage m_window;
};

// The keyed slider thumb of a theme, 12 × 12.
QImage SliderThumb(const Theme& theme);
