#pragma once
// A borderless edit over the skin: without a background colour it lets the
// parent's picture show through, so every change of its text repaints the
// parent under it. The search box uses the placeholder mode: on leaving, the
// typed text is kept aside and "搜索歌曲" shows; a click empties the box.

#include "common/Bitmap.h"

#include <QLineEdit>
#include <QString>

class CEditTrans : public QLineEdit {
    Q_OBJECT
public:
    static constexpr ColorRef kTransparent = 0xFFFFFFFF;  // the background colour −1

    explicit CEditTrans(QWidget* parent = nullptr);
    ~CEditTrans() override;

    void SetTextColor(ColorRef color);
    // kTransparent (the default) lets the parent show through.
    void SetBackColor(ColorRef color);
    bool IsTransparent() const { return m_crBack == kTransparent; }
    void SetPlaceholder(bool usePlaceholder);
    bool UsesPlaceholder() const { return m_bUsePlaceholder; }
    // The text typed before the box last lost the focus.
    QString SavedText() const { return m_strSaved; }

    static QString PlaceholderText() { return QStringLiteral("搜索歌曲"); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyColours();
    void RepaintParent();

    ColorRef m_crText = 0;
    ColorRef m_crBack = kTransparent;
    bool m_bUsePlaceholder = false;
    QString m_strSaved;
};
