#pragma once
// One sheet of the control gallery: the controls of one skin folder, each
// in the states it can show, laid out in captioned rows.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <string>

class CLabelEx;
class QPainter;

// The dark backdrop of every gallery sheet.
void PaintSheetBackground(QPainter& painter, const QRect& area);

class CGallerySheet : public QWidget {
public:
    // `root` holds the skin folders; `folder` is e.g. "Skin2".
    CGallerySheet(const std::string& root, const std::string& folder);

    // False when the skin's description could not be read.
    bool Loaded() const { return m_bLoaded; }
    // Lets the flashing labels reach their hidden phase and takes the picture.
    QImage Shoot();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Places `widget` at the cursor with a caption under it and moves on.
    void Place(QWidget* widget, const QString& caption);
    void NewRow(const QString& title);

    void AddButtons();
    void AddHoverButtons();
    void AddSliders();
    void AddTexts();
    void AddLabels();

    std::string m_root;
    std::string m_folder;
    bool m_bLoaded = false;
    int m_x = 0;
    int m_y = 0;
    int m_rowHeight = 0;
    int m_width = 0;
    CLabelEx* m_flashText = nullptr;
    CLabelEx* m_flashBack = nullptr;
};
