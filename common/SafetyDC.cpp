#include "common/SafetyDC.h"

#include "common/Trace.h"

#include <QWidget>

CSafetyDC::CSafetyDC(QWidget* window) {
    // Qt lets a widget be painted only while it handles a paint event.
    if (window != nullptr && window->testAttribute(Qt::WA_WState_InPaintEvent)) {
        m_painter.emplace();
        if (m_painter->begin(window)) return;
        m_painter.reset();
    }
    Trace("CSafetyDC : GetDC failed! HWND");
}

CSafetyDC::~CSafetyDC() {
    if (m_painter) m_painter->end();
}
