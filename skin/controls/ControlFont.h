#pragma once
// Font faces of the skinned windows. The program names Windows faces
// ("宋体", "Arial Unicode MS"); behind each go installed faces that hold
// Chinese, so the texts render on a system without the named face.

#include <QString>
#include <QStringList>

inline QStringList WithCjkFallback(const QString& face)
{
    return {face, QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")};
}
