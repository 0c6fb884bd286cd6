#pragma once
// The engine's own view behind a page view, for the tests that look into
// pages (their address, scripts, input widget, renderer). Test programs
// built WEB_ENGINE only.

#include "web/PageView.h"

#include <QWebEnginePage>
#include <QWebEngineView>

inline QWebEngineView* EngineViewOf(IPageView* view) {
    return view ? qobject_cast<QWebEngineView*>(view->Widget()) : nullptr;
}
