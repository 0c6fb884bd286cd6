#include "tools/gallery/GallerySheet.h"

#include "common/Bitmap.h"
#include "skin/SkinDescription.h"
#include "skin/controls/BitmapSlider.h"
#include "skin/controls/EditTrans.h"
#include "skin/controls/HoverButton.h"
#include "skin/controls/Label.h"
#include "skin/controls/LabelEx.h"
#include "skin/controls/RollTextStatic.h"
#include "skin/controls/SkinButtonEx.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kSheetWidth = 880;
constexpr int kGap = 14;
constexpr int kCaptionHeight = 16;

void Hover(QWidget* widget)
{
    const QPointF at(2, 2);
    QEnterEvent enter(at, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &enter);
}

void Press(QWidget* widget, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

void Focus(QWidget* widget)
{
    QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(widget, &focus);
}

// Runs the event loop until `done` holds or the time is up.
template <typename Condition>
void RunUntil(Condition done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

CGallerySheet::CGallerySheet(const std::string& root, const std::string& folder) : m_root(root), m_folder(folder)
{
    m_bLoaded = CSkinDescription(m_root, m_folder).Loaded();
    m_x = kGap;
    m_y = kGap;
    m_width = kSheetWidth;
    auto* title = new QLabel(QString::fromStdString("Skin folder \"" + folder + "\""), this);
    title->setStyleSheet(QStringLiteral("color: #f0f0f0; font-weight: bold;"));
    title->move(kGap, m_y);
    m_y += 22;
    AddButtons();
    AddHoverButtons();
    AddSliders();
    AddTexts();
    AddLabels();
    resize(m_width, m_y + m_rowHeight + kGap);
}

void CGallerySheet::NewRow(const QString& title)
{
    if (m_x > kGap) {
        m_y += m_rowHeight + kGap;
        m_rowHeight = 0;
    }
    m_x = kGap;
    auto* heading = new QLabel(title, this);
    heading->setStyleSheet(QStringLiteral("color: #9fc6ff;"));
    heading->move(kGap, m_y);
    heading->adjustSize();
    m_y += heading->height() + 4;
}

void CGallerySheet::Place(QWidget* widget, const QString& caption)
{
    auto* text = new QLabel(caption, this);
    text->setStyleSheet(QStringLiteral("color: #c8c8c8; font-size: 10px;"));
    text->adjustSize();
    const int width = std::max(widget->width(), text->width());
    if (m_x > kGap && m_x + width > m_width - kGap) {
        m_y += m_rowHeight + kGap;
        m_rowHeight = 0;
        m_x = kGap;
    }
    widget->move(m_x, m_y);
    text->move(m_x, m_y + widget->height() + 2);
    m_x += width + kGap;
    m_rowHeight = std::max(m_rowHeight, widget->height() + 2 + kCaptionHeight);
}

void CGallerySheet::AddButtons()
{
    NewRow(QStringLiteral("CSkinButtonEx: normal / hover / pressed"));
    const CSkinDescription skin(m_root, m_folder);
    const struct {
        const char* section;
        const char* tip;
    } buttons[] = {{"Btn0", "播放"}, {"Btn1", "停止"}, {"Btn3", "下一首"}, {"Btn8", "关闭"}};
    for (const auto& entry : buttons) {
        const SkinButtonFiles files = skin.ButtonFiles(entry.section);
        for (int state = 0; state < 3; ++state) {
            auto* button = new CSkinButtonEx(this, 1000 + state);
            button->SetImages(files.normal, files.over, files.click, QString::fromUtf8(entry.tip));
            const QRect rect = skin.Rect(entry.section);
            button->resize(rect.isEmpty() ? QSize(24, 24) : rect.size());
            if (state == 1)
                Hover(button);
            else if (state == 2)
                Press(button, button->rect().center());
            static const char* const names[] = {"normal", "hover", "pressed"};
            Place(button, QString::fromLatin1(entry.section) + ' ' + QString::fromLatin1(names[state]));
        }
    }
}

void CGallerySheet::AddHoverButtons()
{
    NewRow(QStringLiteral("CHoverButton: four images (normal / hover / pressed / disabled), one image"));
    const CSkinDescription skin(m_root, m_folder);
    const SkinButtonFiles page = skin.ButtonFiles("Wnd_Lib_Btn0");
    static const char* const names[] = {"normal", "hover", "pressed", "disabled"};
    for (int state = 0; state < 4; ++state) {
        auto* button = new CHoverButton(this, 2000 + state);
        button->LoadImages(page.normal, page.over, page.click, page.disable);
        if (state == 1)
            Hover(button);
        else if (state == 2)
            button->setDown(true);
        else if (state == 3)
            button->setEnabled(false);
        Place(button, QStringLiteral("Lib_Btn0 ") + QString::fromLatin1(names[state]));
    }
    const SkinButtonFiles single = skin.ButtonFiles("Btn5");
    for (int state = 0; state < 3; ++state) {
        auto* button = new CHoverButton(this, 2100 + state);
        button->LoadImages(single.normal);
        if (state == 1)
            Hover(button);
        else if (state == 2)
            button->setEnabled(false);
        static const char* const oneNames[] = {"normal", "hover", "disabled"};
        Place(button, QStringLiteral("1 image ") + QString::fromLatin1(oneNames[state]));
    }
}

void CGallerySheet::AddSliders()
{
    NewRow(QStringLiteral("CBitmapSlider: volume and play position, at several values; dragging; focused; circle"));
    const CSkinDescription skin(m_root, m_folder);
    auto make = [&](const char* section, int value, bool drag, bool focus) {
        const SkinSliderFiles files = skin.SliderFiles(section);
        const SkinSliderKeys keys = skin.SliderKeys(section);
        auto* slider = new CBitmapSlider(this, 3000);
        slider->SetChannelImages(files.channel, files.full, true, Rgb(255, 0, 255));
        slider->SetThumbImages(files.thumb, files.thumb, keys.transparentThumb, Rgb(255, 0, 255));
        slider->SetOrientation(keys.vertical);
        slider->SetValue(value);
        if (drag)
            Press(slider, {slider->ThumbPixel(), slider->height() / 2});
        if (focus)
            Focus(slider);
        QString caption = QString::fromLatin1(section) + QStringLiteral(" = %1").arg(slider->GetValue());
        if (drag)
            caption += QStringLiteral(" dragging");
        if (focus)
            caption += QStringLiteral(" focused");
        Place(slider, caption);
        return slider;
    };
    for (int value : {0, 50, 100})
        make("Slider0", value, false, false);
    make("Slider0", 30, false, true);
    for (int value : {0, 35})
        make("Slider1", value, false, false);
    make("Slider1", 80, true, false);

    // The circular track of the play position, with the player's circle.
    const SkinSliderFiles files = skin.SliderFiles("Slider0");
    for (int value : {0, 25, 50, 75, 100}) {
        auto* slider = new CBitmapSlider(this, 3100);
        slider->SetThumbImages(files.thumb, files.thumb, true, Rgb(255, 0, 255));
        slider->resize(110, 40);
        slider->SetCircleTrack(54, -27, 57);
        slider->SetValue(value);
        slider->setStyleSheet(QStringLiteral("background: #20304a;"));
        slider->setAttribute(Qt::WA_StyledBackground);
        Place(slider, QStringLiteral("circle = %1").arg(value));
    }
}

void CGallerySheet::AddTexts()
{
    NewRow(QStringLiteral("CRollTextStatic: the rolling title (start, rolled, entering again), a state title, the play times"));
    const CSkinDescription skin(m_root, m_folder);
    const QString song = QStringLiteral("晚风吹过的街--林小夕");
    auto title = [&](const QString& text, int steps, bool reenter, const QString& caption) {
        auto* roll = new CRollTextStatic(this);
        roll->SetSkin(skin);
        const QRect rect = skin.Rect("Static0");
        roll->resize(rect.isEmpty() ? QSize(300, 20) : rect.size());
        roll->SetText(text);
        if (reenter) {
            while (roll->ScrollPos() >= 0)
                roll->RollStep();
        }
        for (int i = 0; i < steps; ++i)
            roll->RollStep();
        Place(roll, caption);
    };
    title(song, 0, false, QStringLiteral("title, scroll 0, with the lyric link"));
    title(song, 90, false, QStringLiteral("title, scrolled 90 px"));
    title(song, 60, true, QStringLiteral("title entering again from the right"));
    title(QStringLiteral("正在缓冲..."), 0, false, QStringLiteral("state title: no lyric link"));
    auto time = [&](bool duration, const QString& text) {
        auto* field = new CRollTextStatic(this, CRollTextStatic::Variant::Plain);
        field->SetTimeText(duration);
        field->SetSkin(skin);
        const QRect rect = skin.Rect(duration ? "Static5" : "Static1");
        field->resize(rect.isEmpty() ? QSize(56, 20) : rect.size());
        field->SetText(text);
        Place(field, QStringLiteral("%1 \"%2\"").arg(duration ? QStringLiteral("duration") : QStringLiteral("elapsed"), text));
    };
    time(false, QStringLiteral("01:23"));
    time(true, QStringLiteral("04:05"));
    time(true, QStringLiteral("/04:05"));
    time(true, QStringLiteral("/"));
}

void CGallerySheet::AddLabels()
{
    NewRow(QStringLiteral("CLabel, CLabelEx, CEditTrans"));
    const CSkinDescription skin(m_root, m_folder);
    const ColorRef text = skin.TextColour("Static0");

    auto* link = new CLabel(this, 4000);
    link->SetText(QStringLiteral("http://127.0.0.1/"));
    link->SetLink(true, false);
    link->SetTextColor(QColor(120, 180, 255));
    link->SetFontUnderline(true);
    link->resize(link->sizeHint());
    Place(link, QStringLiteral("CLabel link"));

    auto* caption = new CLabel(this, 4001);
    caption->SetText(QStringLiteral("记住密码"));
    caption->SetTextColor(text);
    caption->SetBkColor(Rgb(40, 52, 70));
    caption->SetTransparent(false);
    caption->resize(caption->sizeHint() + QSize(8, 4));
    Place(caption, QStringLiteral("CLabel opaque"));

    auto labelEx = [&](const QString& caption) -> CLabelEx& {
        auto* label = new CLabelEx(this, 4100);
        label->resize(150, 24);
        label->SetText(QStringLiteral("乐库经典")).SetTextColor(Rgb(255, 255, 255));
        label->SetBkColor(Rgb(30, 60, 120));
        Place(label, caption);
        return *label;
    };
    labelEx(QStringLiteral("CLabelEx solid"));
    labelEx(QStringLiteral("CLabelEx gradient")).SetBkColor(Rgb(200, 40, 40), Rgb(40, 40, 200));
    labelEx(QStringLiteral("CLabelEx bold italic underline"))
        .SetFontBold(true)
        .SetFontItalic(true)
        .SetFontUnderline(true)
        .SetBorder(true);
    labelEx(QStringLiteral("CLabelEx sunken")).SetSunken(true).SetTextColor(Rgb(255, 220, 120));
    m_flashText = &labelEx(QStringLiteral("CLabelEx text flash, hidden phase"));
    m_flashText->FlashText(true);
    m_flashBack = &labelEx(QStringLiteral("CLabelEx background flash, hidden phase"));
    m_flashBack->FlashBackground(true);
    auto* rotated = new CLabelEx(this, 4200);
    rotated->resize(28, 80);
    rotated->SetText(QStringLiteral("竖排90°")).SetTextColor(Rgb(255, 255, 255)).SetBkColor(Rgb(60, 90, 60));
    rotated->SetRotationAngle(90);
    Place(rotated, QStringLiteral("rotated"));

    auto* search = new CEditTrans(this);
    search->resize(120, 20);
    search->SetTextColor(skin.TextColour("Edit0") ? skin.TextColour("Edit0") : Rgb(230, 230, 230));
    search->SetPlaceholder(true);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(search, &focusOut);
    Place(search, QStringLiteral("CEditTrans placeholder"));

    auto* edit = new CEditTrans(this);
    edit->resize(120, 20);
    edit->SetTextColor(Rgb(20, 20, 20));
    edit->SetBackColor(Rgb(230, 230, 200));
    edit->setText(QStringLiteral("晚风"));
    Place(edit, QStringLiteral("CEditTrans solid"));
}

QImage CGallerySheet::Shoot()
{
    // The flashing labels are shot in their hidden phase.
    RunUntil([this] { return !m_flashText->TextShown() && !m_flashBack->BackgroundShown(); }, 5000);
    return grab().toImage();
}

void PaintSheetBackground(QPainter& painter, const QRect& area)
{
    QLinearGradient gradient(0, area.top(), 0, area.top() + area.height());
    gradient.setColorAt(0, QColor(34, 40, 52));
    gradient.setColorAt(1, QColor(22, 26, 34));
    painter.fillRect(area, gradient);
}

void CGallerySheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintSheetBackground(painter, rect());
}
