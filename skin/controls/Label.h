#pragma once
// A plain owner-painted caption: one line of text in a chosen colour over a
// solid or see-through background. As a link it shows its cursor and, on a
// click, either opens its address in the user's browser or tells its parent
// (WM_COMMAND with the label's control number), which is how the panel's
// check-box captions toggle their check box.

#include "common/Bitmap.h"

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QString>
#include <QWidget>

class CLabel : public QWidget {
    Q_OBJECT
public:
    explicit CLabel(QWidget* parent = nullptr, int controlId = 0);
    ~CLabel() override;

    // The number the parent knows the label by (wParam of WM_COMMAND).
    void SetControlId(int controlId) { m_nControlId = controlId; }
    int ControlId() const { return m_nControlId; }

    void SetText(const QString& text);
    QString Text() const { return m_strText; }

    void SetTextColor(ColorRef color);
    void SetTextColor(const QColor& color);
    void SetTextColor(Qt::GlobalColor color) { SetTextColor(QColor(color)); }
    QColor TextColor() const { return m_crText; }

    // The background is only painted while the label is not transparent.
    void SetBkColor(ColorRef color);
    void SetBkColor(const QColor& color);
    void SetBkColor(Qt::GlobalColor color) { SetBkColor(QColor(color)); }
    QColor BkColor() const { return m_crBk; }
    void SetTransparent(bool transparent);
    bool IsTransparent() const { return m_bTransparent; }

    void SetFontUnderline(bool underline);
    void SetFontBold(bool bold);
    void SetFontPointSize(int points);
    void SetFontName(const QString& face);
    // Where the line sits across the label (left by default); always
    // centred from top to bottom.
    void SetHorizontalAlignment(Qt::Alignment alignment);
    QFont LabelFont() const { return m_font; }

    // With `link` on, the label shows the link cursor and reacts to a left
    // click: with `notifyParent` it posts WM_COMMAND to its parent, else it
    // opens the link address (the text when no address was set).
    void SetLink(bool link, bool notifyParent);
    bool IsLink() const { return m_bLink; }
    bool NotifiesParent() const { return m_bNotifyParent; }
    void SetLinkUrl(const QString& url);
    QString LinkUrl() const { return m_strUrl.isEmpty() ? m_strText : m_strUrl; }
    void SetLinkCursor(const QCursor& cursor);

    QSize sizeHint() const override;

signals:
    // Every left click on a link label, after it was acted on.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyCursor();
    void Changed();

    int m_nControlId = 0;
    QString m_strText;
    QString m_strUrl;
    QColor m_crText;
    QColor m_crBk;
    bool m_bTransparent = true;
    QFont m_font;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_bLink = false;
    bool m_bNotifyParent = false;
    bool m_bPressed = false;
    QCursor m_linkCursor{Qt::PointingHandCursor};
};
