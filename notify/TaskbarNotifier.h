#pragma once
// A skinned pop-up that shows a line of text above the taskbar and reports
// a click to its owner (message WM_NOTIFIER_CLICKED). The program creates
// and skins it but never shows it.

#include "common/Bitmap.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

class CTaskbarNotifier : public QWidget {
    Q_OBJECT
public:
    CTaskbarNotifier();
    ~CTaskbarNotifier() override;

    // Creates the window under the owner, hidden with an empty rectangle.
    bool Create(QWidget* owner);

    // Loads the bitmap resource, takes its size and the text rectangle from
    // it and shapes the window to the bitmap without its magenta pixels.
    // The colour given is not used. False when the bitmap cannot be read.
    bool SetSkin(int bitmapResource, unsigned char red = 255, unsigned char green = 0, unsigned char blue = 255);
    bool SetSkin(const std::string& bitmapFile);

    // Both fonts are the system's default font; bit 0 of a style makes it
    // bold, bit 1 italic. The face and size are not used.
    void SetTextFont(const char* face, int size, int normalStyle, int hoverStyle);
    void SetTextColor(ColorRef normal, ColorRef hover);
    // CP936 text.
    void SetText(const std::string& text);

    QObject* Owner() const { return m_owner.data(); }
    int SkinWidth() const { return m_nSkinWidth; }
    int SkinHeight() const { return m_nSkinHeight; }
    const QRect& TextRect() const { return m_rcText; }
    const QRegion& SkinRegion() const { return m_skinRegion; }
    const QFont& NormalFont() const { return m_normalFont; }
    const QFont& HoverFont() const { return m_hoverFont; }
    ColorRef NormalTextColor() const { return m_crNormalText; }
    ColorRef HoverTextColor() const { return m_crHoverText; }
    bool IsHover() const { return m_bHover; }
    const QString& Text() const { return m_text; }

    // The text as drawn in the rectangle: word-wrapped, with an ellipsis at
    // the end when it does not fit.
    static QString FitText(const QString& text, const QFont& font, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<QWidget> m_owner;
    QImage m_skin;
    int m_nSkinWidth = 0;
    int m_nSkinHeight = 0;
    QRegion m_skinRegion;
    QRect m_rcText;
    QString m_text;
    QFont m_normalFont;
    QFont m_hoverFont;
    ColorRef m_crNormalText;
    ColorRef m_crHoverText;
    bool m_bHover = false;
};
