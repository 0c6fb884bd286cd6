#include "playback/PlayerKeys.h"

#include "skin/controls/BitmapSlider.h"

#include <QAbstractItemView>
#include <QLineEdit>

#include <algorithm>

namespace {

constexpr St_PlayerKeyBinding kBindings[] = {
    {PlayerKey::PlayPause, Qt::Key_Space, Qt::NoModifier, "Space"},
    {PlayerKey::Next, Qt::Key_Right, Qt::ControlModifier, "Ctrl+Right"},
    {PlayerKey::Previous, Qt::Key_Left, Qt::ControlModifier, "Ctrl+Left"},
    {PlayerKey::SeekForward, Qt::Key_Right, Qt::NoModifier, "Right"},
    {PlayerKey::SeekBack, Qt::Key_Left, Qt::NoModifier, "Left"},
    {PlayerKey::VolumeUp, Qt::Key_Up, Qt::NoModifier, "Up"},
    {PlayerKey::VolumeDown, Qt::Key_Down, Qt::NoModifier, "Down"},
    {PlayerKey::Mute, Qt::Key_M, Qt::NoModifier, "M"},
    {PlayerKey::FocusSearch, Qt::Key_F, Qt::ControlModifier, "Ctrl+F"},
    {PlayerKey::ToggleLyric, Qt::Key_L, Qt::ControlModifier, "Ctrl+L"},
    {PlayerKey::RefreshPage, Qt::Key_F5, Qt::NoModifier, "F5"},
    {PlayerKey::LeaveSearch, Qt::Key_Escape, Qt::NoModifier, "Escape"},
};

// The keys a focused list or tree moves with, and a focused slider.
bool MovesItemView(int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Delete: return true;
    default: return false;
    }
}

}  // namespace

PlayerKey CPlayerKeyMap::Map(int key, Qt::KeyboardModifiers modifiers, KeyFocus focus) {
    // The arrows of the number pad are the arrows.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (focus == KeyFocus::TextEntry) return key == Qt::Key_Escape && held == Qt::NoModifier ? PlayerKey::LeaveSearch : PlayerKey::None;
    if ((focus == KeyFocus::ItemView || focus == KeyFocus::Slider) && held == Qt::NoModifier && MovesItemView(key))
        return PlayerKey::None;
    const auto found = std::find_if(std::begin(kBindings), std::end(kBindings), [&](const St_PlayerKeyBinding& binding) {
        return binding.key == key && binding.modifiers == held;
    });
    if (found == std::end(kBindings)) return PlayerKey::None;
    // Escape only ever leaves a text box.
    return found->action == PlayerKey::LeaveSearch ? PlayerKey::None : found->action;
}

QString CPlayerKeyMap::KeyText(PlayerKey action) {
    for (const St_PlayerKeyBinding& binding : kBindings)
        if (binding.action == action) return QString::fromLatin1(binding.text);
    return {};
}

std::span<const St_PlayerKeyBinding> CPlayerKeyMap::Bindings() { return kBindings; }

KeyFocus KeyFocusOf(const QWidget* focused) {
    if (focused == nullptr) return KeyFocus::Window;
    if (qobject_cast<const QLineEdit*>(focused)) return KeyFocus::TextEntry;
    if (qobject_cast<const CBitmapSlider*>(focused)) return KeyFocus::Slider;
    // A tree's label editor is a line edit inside the view's viewport.
    for (const QWidget* widget = focused; widget != nullptr && !widget->isWindow(); widget = widget->parentWidget())
        if (qobject_cast<const QAbstractItemView*>(widget)) return KeyFocus::ItemView;
    return KeyFocus::Window;
}
