#include "skin/controls/ControlAccessibility.h"

#include "skin/controls/BitmapSlider.h"
#include "skin/controls/Label.h"
#include "skin/controls/RollTextStatic.h"
#include "skin/controls/SkinButtonEx.h"

#include <QAccessibleWidget>

#include <mutex>

namespace {

class CAccessibleSkinButton final : public QAccessibleWidget {
public:
    explicit CAccessibleSkinButton(CSkinButtonEx* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override {
        const auto* button = static_cast<const CSkinButtonEx*>(widget());
        switch (kind) {
        case QAccessible::Name:
            return button->accessibleName().isEmpty() ? button->toolTip() : button->accessibleName();
        case QAccessible::Description: return button->accessibleDescription();
        case QAccessible::Accelerator: return button->KeyHint();
        default: return QAccessibleWidget::text(kind);
        }
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && widget()->isEnabled()) static_cast<CSkinButtonEx*>(widget())->Click();
    }
};

class CAccessibleSlider final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CAccessibleSlider(CBitmapSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (!Slider()->IsSliderEnabled()) state.disabled = true;
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return QString::number(Slider()->ReadValue());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return Slider()->ReadValue(); }
    void setCurrentValue(const QVariant& value) override { Slider()->SetReadValue(value.toInt()); }
    QVariant maximumValue() const override { return Slider()->Maximum(); }
    QVariant minimumValue() const override { return Slider()->Minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    CBitmapSlider* Slider() const { return static_cast<CBitmapSlider*>(widget()); }
};

// A text the user reads off the skin: its name is what it shows.
template <class Control>
class CAccessibleText final : public QAccessibleWidget {
public:
    explicit CAccessibleText(Control* control) : QAccessibleWidget(control, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        const auto* control = static_cast<const Control*>(widget());
        if (kind == QAccessible::Name) {
            const QString shown = control->Text();
            return shown.isEmpty() ? control->accessibleName() : shown;
        }
        if (kind == QAccessible::Description && !control->accessibleName().isEmpty() && !control->Text().isEmpty())
            return control->accessibleName();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* SkinnedControlInterface(const QString&, QObject* object) {
    if (auto* button = qobject_cast<CSkinButtonEx*>(object)) return new CAccessibleSkinButton(button);
    if (auto* slider = qobject_cast<CBitmapSlider*>(object)) return new CAccessibleSlider(slider);
    if (auto* text = qobject_cast<CRollTextStatic*>(object)) return new CAccessibleText<CRollTextStatic>(text);
    if (auto* label = qobject_cast<CLabel*>(object)) return new CAccessibleText<CLabel>(label);
    return nullptr;
}

}  // namespace

void InstallControlAccessibility() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(SkinnedControlInterface); });
}

QString SongReaderName(const QString& title, const QString& singer) {
    const QString name = title.trimmed();
    return singer.isEmpty() ? name : name + QStringLiteral(" — ") + singer;
}
