#pragma once
// Helpers of the control tests: a parent window that records the messages
// its controls post, and bitmaps written to a temporary folder.

#include "common/MessageIds.h"
#include "common/WindowMessage.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

#include <filesystem>
#include <string>
#include <vector>

struct RecordedMessage {
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
};

class CRecordingParent : public QWidget, public CMessageTarget {
public:
    CRecordingParent() : CMessageTarget(this) { resize(400, 200); }

    // Delivers what has been posted so far and returns everything received.
    const std::vector<RecordedMessage>& Messages()
    {
        QCoreApplication::sendPostedEvents(this);
        return m_messages;
    }
    std::vector<RecordedMessage> Of(unsigned message)
    {
        std::vector<RecordedMessage> found;
        for (const RecordedMessage& m : Messages())
            if (m.message == message)
                found.push_back(m);
        return found;
    }
    void Clear()
    {
        QCoreApplication::sendPostedEvents(this);
        m_messages.clear();
    }

protected:
    LRESULT DefWindowProc(unsigned message, WPARAM wParam, LPARAM lParam) override
    {
        m_messages.push_back({message, wParam, lParam});
        return 0;
    }

private:
    std::vector<RecordedMessage> m_messages;
};

// A 24-bit BMP of `size` filled with `fill`; returns its path.
inline std::string WriteBitmap(const std::filesystem::path& folder, const std::string& name, QSize size, QRgb fill)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    const std::filesystem::path path = folder / name;
    image.save(QString::fromStdString(path.string()), "BMP");
    return path.string();
}

inline std::string WriteBitmap(const std::filesystem::path& folder, const std::string& name, const QImage& image)
{
    const std::filesystem::path path = folder / name;
    image.convertToFormat(QImage::Format_RGB32).save(QString::fromStdString(path.string()), "BMP");
    return path.string();
}
