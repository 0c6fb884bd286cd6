#include "app/MessageWindowStyle.h"

MessageWindowStyle StyleOfMessage(const QString& text) {
    MessageWindowStyle style;
    style.text = text;
    const bool caching = text.contains(QStringLiteral("缓存中"));
    const bool network = text.contains(QStringLiteral("联网"));
    style.tip = caching || network || text.contains(QStringLiteral("地址失败")) ||
                text.contains(QStringLiteral("该歌曲无法正常播放"));
    if (caching) style.text = QStringLiteral("   ") + text;
    // A network notice stays long enough to be read while the program waits.
    if (network) style.tipDelayMs = kNetworkTipDelayMs;
    return style;
}
