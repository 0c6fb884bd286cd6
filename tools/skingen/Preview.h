#pragma once
// A picture of a shipped skin's windows as the player shows them, composed
// from the skin files alone (read back through the skin description), so
// the look can be judged without running the player.

#include <QImage>
#include <QString>

// `root` is the folder that holds the skin folders and "res".
QImage ComposePreview(const QString& root, const QString& skin);
