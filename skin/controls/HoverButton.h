#pragma once
// An owner-drawn push button with up to four pictures of one size: normal,
// hover, pressed and disabled. With fewer pictures the missing states fall
// back as HoverButtonImageIndex says; a single picture shows in every state.
// Clicks arrive as the button's clicked() signal and, for a button with a
// control number, as WM_COMMAND posted to the parent.

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

#include <string>
#include <vector>

class CHoverButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CHoverButton(QWidget* parent = nullptr, int controlId = 0);
    ~CHoverButton() override;

    void SetControlId(int controlId) { m_nControlId = controlId; }
    int ControlId() const { return m_nControlId; }

    // False when the normal picture cannot be loaded. The others may be
    // empty names; the list stops at the first one that is missing, so each
    // picture keeps its place. The button takes the normal picture's size.
    bool LoadImages(const std::string& normal, const std::string& over = {}, const std::string& pressed = {},
                    const std::string& disabled = {});
    void SetTip(const QString& text, bool activate = true);

    int ImageCount() const { return int(m_images.size()); }
    // The picture the button shows now (-1 without pictures).
    int CurrentImageIndex() const;
    bool IsHover() const { return m_bHover; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void NotifyParent();

    int m_nControlId = 0;
    std::vector<QPixmap> m_images;
    bool m_bHover = false;
};
