#pragma once
// What the skinned song list and album tree share: a borderless item view
// without scroll bars of its own (the panel scrolls it with a bitmap slider,
// through the position, range and page the view exposes, in rows), that
// draws each row whole itself, and shows the tip of whatever button is
// under the mouse.

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QTreeView>

class CSkinDescription;

class CSkinnedItemView : public QTreeView {
    Q_OBJECT
public:
    explicit CSkinnedItemView(QWidget* parent = nullptr);
    ~CSkinnedItemView() override;

    // Vertical scrolling in rows: the first row in sight (0 … maximum), and
    // how many rows are in sight.
    int ScrollPosition() const;
    int ScrollMaximum() const;
    int ScrollPage() const;
    // Kept within 0 … maximum.
    void SetScrollPosition(int position);
    void ScrollRows(int delta);

    // The tip shown for the place under the mouse; empty for none.
    const QString& CurrentTip() const { return m_strTip; }

signals:
    // The position, range or page changed.
    void scrollChanged(int position, int maximum, int page);

protected:
    // The rows' font: the system's GUI font, 12 pixels high, normal weight.
    static QFont RowFont();
    // The bar under a selected row in skins of the "Skin2" family (from the
    // program's pictures beside the skins); null for the other skins.
    static QPixmap SelectionBar(const CSkinDescription& skin);

    // Shows `model` (null: nothing); the previous model, a child of the
    // view, goes with its selection.
    void ReplaceModel(QAbstractItemModel* model);
    void SetTip(const QString& tip);
    // The whole width of the row of `index` in viewport coordinates.
    QRect RowRect(const QModelIndex& index) const;
    // The mouse left the rows: nothing is under it any more.
    virtual void MouseLeft() {}

    bool viewportEvent(QEvent* event) override;
    void updateGeometries() override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    void NotifyScroll();

    QString m_strTip;
};
