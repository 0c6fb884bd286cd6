#pragma once
// A picture turned into a button: normal, hover and pressed bitmaps, the
// hand cursor over its hit area (the whole rectangle, or the inscribed
// ellipse of a round button) and a tooltip. A click, i.e. a left press
// released inside the button, is posted to the parent as WM_COMMAND with
// the button's control number; so is Space or Enter while the button has the
// keyboard focus (reached with Tab, and marked then in the skin's colour).
// Without a normal picture it is drawn as a plain button labelled with its
// tooltip.

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <string>

class CSkinButtonEx : public QWidget {
    Q_OBJECT
public:
    enum class State { Normal, Hover, Pressed };

    explicit CSkinButtonEx(QWidget* parent = nullptr, int controlId = 0);
    ~CSkinButtonEx() override;

    void SetControlId(int controlId) { m_nControlId = controlId; }
    int ControlId() const { return m_nControlId; }

    // Loads the normal bitmap (a missing file leaves that picture empty),
    // keeps the tooltip and shows it. The hover and pressed bitmaps are read
    // when they are first shown: a window full of buttons opens without
    // reading pictures nobody has asked for yet.
    void SetImages(const std::string& normal, const std::string& over, const std::string& click,
                   const QString& tooltip = {});
    void SetRound(bool round) { m_bRound = round; }
    // The key that does what the button does ("Space"); the tooltip shows it
    // after the button's own text, which stays the button's name.
    void SetKeyHint(const QString& key);
    QString KeyHint() const { return m_strKeyHint; }
    // The tooltip as shown: the text, and the key where there is one.
    QString ShownToolTip() const;
    // The colour of the focus mark.
    void SetFocusColour(const QColor& colour);
    // Does what a click does: the command to the parent, and clicked().
    void Click();
    bool IsRound() const { return m_bRound; }

    State CurrentState() const { return m_state; }
    bool IsHover() const { return m_bHover; }
    bool IsTracking() const { return m_bTracking; }
    bool HasImage(State state) const { return !Image(state).isNull(); }
    // Whether the hand cursor shows at `point`.
    bool HitTest(const QPoint& point) const;

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    const QPixmap& Image(State state) const;
    // A hover or pressed picture, read on first use.
    const QPixmap& Lazy(QPixmap& picture, std::string& file) const;
    void Show(State state);
    void UpdateCursor(const QPoint& point);

    int m_nControlId = 0;
    QString m_strKeyHint;
    QColor m_focusColour;
    QPixmap m_normal;
    mutable QPixmap m_over, m_click;
    mutable std::string m_strOverFile, m_strClickFile;  // not read yet
    State m_state = State::Normal;
    bool m_bRound = false;
    bool m_bHover = false;
    bool m_bTracking = false;
    bool m_bCaptured = false;
    bool m_bHandCursor = false;
};
