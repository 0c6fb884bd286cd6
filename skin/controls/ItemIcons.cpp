#include "skin/controls/ItemIcons.h"

#include "skin/controls/ControlArithmetic.h"

#include "common/Trace.h"
#include "skin/SkinDescription.h"

#include <QFileInfo>
#include <QIcon>
#include <QPainter>

void CItemIcons::Load(const CSkinDescription& skin, qreal devicePixelRatio)
{
    static constexpr const char* kSections[] = {"Icon0", "Icon00", "Icon1", "Icon2",
                                                "Icon20", "Icon3", "Icon30", "Icon4"};
    for (size_t i = 0; i < m_icons.size(); ++i) {
        const QString file = QString::fromStdString(skin.IconFile(kSections[i]));
        // Scaled once here, so that painting a row only copies pixels.
        m_icons[i] = QFileInfo::exists(file)
                         ? QIcon(file).pixmap(QSize(kItemIconSize, kItemIconSize), devicePixelRatio)
                         : QPixmap();
        if (m_icons[i].isNull())
            Trace("CItemIcons::Load : no icon %s [%s]", kSections[i], file.toLocal8Bit().constData());
    }
}

void CItemIcons::Draw(QPainter& painter, ItemIcon icon, const QPoint& topLeft) const
{
    const QPixmap& pixmap = m_icons[Slot(icon)];
    if (!pixmap.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect(topLeft, QSize(kItemIconSize, kItemIconSize)), pixmap);
    }
}
