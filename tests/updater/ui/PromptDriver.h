#pragma once
// Answers the update library's windows from inside their own modal loops:
// arm an answerer, make the call that shows the window, then look at what
// the answerer saw. Header-only; needs Qt Widgets and a QApplication on the
// calling thread.
//
//   auto answer = patchwell::testing::AnswerPrompt(patchwell::testing::PromptAnswer::NextStart);
//   int result = patchwell::ShowUpdatePrompt(text, 0, 5, texts, 0);
//   EXPECT_TRUE(answer->Answered());  // answer->Prompt() holds what the dialog showed
//
// The answerer polls every 10 ms for a visible top-level window with the
// object name, runs its action once, and then watches the window. A window
// that is still open when the time limit (counted from arming) runs out is
// closed by force, so a modal call never hangs; ClosedByForce() then reports it.
// Destroying the answerer stops it.

#include "updater/ui/UpdatePromptIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace patchwell::testing {

// What the update prompt showed when it was answered.
struct PromptSnapshot {
    QString caption;
    QString header;
    QString notes;
    QString choiceLabel;
    bool choiceLabelVisible = false;
    bool installNowVisible = false;
    bool nextStartVisible = false;
    bool installNowChecked = false;
    bool nextStartChecked = false;
    bool okIsDefault = false;
    bool notesReadOnly = false;
    bool pictureShown = false;
    bool modal = false;
    bool ownerless = false;
};

// What a message box showed when it was answered.
struct MessageSnapshot {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    bool ownerless = false;
};

// A visible top-level window with the object name, the active modal one first.
inline QWidget* FindShownWindow(const QString& objectName) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->objectName() == objectName && modal->isVisible()) return modal;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == objectName && widget->isVisible()) return widget;
    return nullptr;
}

// The prompt control with the given identifier, or nullptr.
template <typename Control = QWidget>
Control* FindControl(QWidget& window, int id) {
    return window.findChild<Control*>(QString::number(id));
}

// Clicks the button with the given identifier; false when there is none.
inline bool ClickControl(QWidget& window, int id) {
    QAbstractButton* button = FindControl<QAbstractButton>(window, id);
    if (button == nullptr || !button->isVisibleTo(&window) || !button->isEnabled()) return false;
    button->click();
    return true;
}

// Delivers a key press and release to the window itself (Escape, Return).
inline void PressKey(QWidget& window, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &release);
}

inline PromptSnapshot ReadPrompt(QWidget& dialog) {
    PromptSnapshot seen;
    seen.caption = dialog.windowTitle();
    seen.modal = dialog.isModal() || dialog.windowModality() != Qt::NonModal;
    seen.ownerless = dialog.parentWidget() == nullptr;
    if (auto* header = FindControl<QLabel>(dialog, kIdHeader)) seen.header = header->text();
    if (auto* notes = FindControl<QPlainTextEdit>(dialog, kIdNotes)) {
        seen.notes = notes->toPlainText();
        seen.notesReadOnly = notes->isReadOnly();
    }
    if (auto* label = FindControl<QLabel>(dialog, kIdChoiceLabel)) {
        seen.choiceLabel = label->text();
        seen.choiceLabelVisible = label->isVisibleTo(&dialog);
    }
    if (auto* picture = FindControl<QLabel>(dialog, kIdPicture))
        seen.pictureShown = picture->isVisibleTo(&dialog) && !picture->pixmap().isNull();
    if (auto* now = FindControl<QAbstractButton>(dialog, kIdInstallNow)) {
        seen.installNowVisible = now->isVisibleTo(&dialog);
        seen.installNowChecked = now->isChecked();
    }
    if (auto* later = FindControl<QAbstractButton>(dialog, kIdNextStart)) {
        seen.nextStartVisible = later->isVisibleTo(&dialog);
        seen.nextStartChecked = later->isChecked();
    }
    if (auto* ok = FindControl<QPushButton>(dialog, kIdOk)) seen.okIsDefault = ok->isDefault();
    return seen;
}

inline MessageSnapshot ReadMessage(QWidget& window) {
    MessageSnapshot seen;
    seen.caption = window.windowTitle();
    seen.modal = window.isModal() || window.windowModality() != Qt::NonModal;
    seen.ownerless = window.parentWidget() == nullptr;
    if (auto* box = qobject_cast<QMessageBox*>(&window)) {
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
    }
    return seen;
}

// Watches for one window and answers it once.
class CWindowAnswerer {
public:
    using Action = std::function<bool(QWidget&)>;  // false: the answer could not be given

    CWindowAnswerer(QString objectName, Action action, int timeoutMs)
        : m_objectName(std::move(objectName)), m_action(std::move(action)), m_deadline(timeoutMs) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Poll(); });
        m_timer.start();
    }
    CWindowAnswerer(const CWindowAnswerer&) = delete;
    CWindowAnswerer& operator=(const CWindowAnswerer&) = delete;

    bool Found() const { return m_bFound; }
    // Found, the action succeeded and the window closed by itself.
    bool Answered() const { return m_bFound && m_bActionOk && !m_bClosedByForce && !IsOpen(); }
    bool ClosedByForce() const { return m_bClosedByForce; }
    bool Finished() const { return !m_timer.isActive(); }

private:
    bool IsOpen() const { return !m_pWindow.isNull() && m_pWindow->isVisible(); }

    void Poll() {
        if (!m_bFound) {
            if (QWidget* window = FindShownWindow(m_objectName)) {
                m_bFound = true;
                m_pWindow = window;
                m_bActionOk = m_action(*window);
            } else if (m_deadline.hasExpired()) {
                m_timer.stop();
            }
            return;
        }
        if (!IsOpen()) {
            m_timer.stop();
        } else if (m_deadline.hasExpired()) {
            m_bClosedByForce = true;
            m_timer.stop();
            if (auto* dialog = qobject_cast<QDialog*>(m_pWindow.data()))
                dialog->reject();
            else
                m_pWindow->close();
        }
    }

    QString m_objectName;
    Action m_action;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    QPointer<QWidget> m_pWindow;
    bool m_bFound = false;
    bool m_bActionOk = false;
    bool m_bClosedByForce = false;
};

inline constexpr int kDefaultAnswerTimeoutMs = 10000;

inline std::unique_ptr<CWindowAnswerer> AnswerWhenShown(const QString& objectName, CWindowAnswerer::Action action,
                                                        int timeoutMs = kDefaultAnswerTimeoutMs) {
    return std::make_unique<CWindowAnswerer>(objectName, std::move(action), timeoutMs);
}

// The ways to leave the update prompt.
enum class PromptAnswer {
    Ok,          // click OK with the radio buttons as they are
    InstallNow,  // click "立即升级", then OK
    NextStart,   // click "下次启动时升级", then OK
    Enter,       // press Return (the default button)
    Escape,      // press Escape
    Close,       // the window's close button
};

// Answers the update prompt; the snapshot is taken before answering.
class CPromptAnswerer {
public:
    explicit CPromptAnswerer(PromptAnswer answer, int timeoutMs = kDefaultAnswerTimeoutMs)
        : m_answerer(QString::fromLatin1(kPromptObjectName),
                     [this, answer](QWidget& dialog) {
                         m_seen = ReadPrompt(dialog);
                         return Answer(dialog, answer);
                     },
                     timeoutMs) {}

    bool Answered() const { return m_answerer.Answered(); }
    bool Found() const { return m_answerer.Found(); }
    bool ClosedByForce() const { return m_answerer.ClosedByForce(); }
    bool Finished() const { return m_answerer.Finished(); }
    const PromptSnapshot& Prompt() const { return m_seen; }

    static bool Answer(QWidget& dialog, PromptAnswer answer) {
        switch (answer) {
        case PromptAnswer::Ok: return ClickControl(dialog, kIdOk);
        case PromptAnswer::InstallNow: return ClickControl(dialog, kIdInstallNow) && ClickControl(dialog, kIdOk);
        case PromptAnswer::NextStart: return ClickControl(dialog, kIdNextStart) && ClickControl(dialog, kIdOk);
        case PromptAnswer::Enter: PressKey(dialog, Qt::Key_Return); return true;
        case PromptAnswer::Escape: PressKey(dialog, Qt::Key_Escape); return true;
        case PromptAnswer::Close: return dialog.close();
        }
        return false;
    }

private:
    PromptSnapshot m_seen;
    CWindowAnswerer m_answerer;  // last: its action writes m_seen
};

// Clicks OK in the library's message box; the snapshot is taken before.
class CMessageAnswerer {
public:
    explicit CMessageAnswerer(int timeoutMs = kDefaultAnswerTimeoutMs)
        : m_answerer(QString::fromLatin1(kMessageObjectName),
                     [this](QWidget& window) {
                         m_seen = ReadMessage(window);
                         auto* box = qobject_cast<QMessageBox*>(&window);
                         QAbstractButton* ok = box != nullptr ? box->button(QMessageBox::Ok) : nullptr;
                         if (ok == nullptr) return false;
                         ok->click();
                         return true;
                     },
                     timeoutMs) {}

    bool Answered() const { return m_answerer.Answered(); }
    bool Found() const { return m_answerer.Found(); }
    const MessageSnapshot& Message() const { return m_seen; }

private:
    MessageSnapshot m_seen;
    CWindowAnswerer m_answerer;
};

inline std::unique_ptr<CPromptAnswerer> AnswerPrompt(PromptAnswer answer, int timeoutMs = kDefaultAnswerTimeoutMs) {
    return std::make_unique<CPromptAnswerer>(answer, timeoutMs);
}

inline std::unique_ptr<CMessageAnswerer> AcknowledgeMessage(int timeoutMs = kDefaultAnswerTimeoutMs) {
    return std::make_unique<CMessageAnswerer>(timeoutMs);
}

}  // namespace patchwell::testing
