#include "notify/SongNotice.h"

#include "common/Trace.h"
#include "platform/Profile.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

CSongNotice::CSongNotice(std::filesystem::path settingsFile, Presenter presenter)
    : m_settingsFile(std::move(settingsFile)), m_presenter(std::move(presenter)) {
    m_on = GetPrivateProfileInt(kSection, kKey, 0, m_settingsFile) == 1;
}

bool CSongNotice::SetOn(bool on) {
    m_on = on;
    if (WritePrivateProfileString(kSection, kKey, on ? "1" : "0", m_settingsFile)) return true;
    Trace("SongNotice===Can not save the switch in %s", m_settingsFile.c_str());
    return false;
}

QString CSongNotice::TitleOf(const MprisTrack& track) {
    return track.title.isEmpty() ? QString::fromStdString(track.id) : track.title;
}

QString CSongNotice::TextOf(const MprisTrack& track) { return track.artist; }

void CSongNotice::OnTrackStarted(const MprisTrack& track) {
    if (!m_on || !m_presenter) return;
    if (!m_presenter(TitleOf(track), TextOf(track))) Trace("SongNotice===The note could not be shown.");
}

CDesktopNotes::CDesktopNotes(Fallback fallback, QObject* parent) : QObject(parent), m_fallback(std::move(fallback)) {}

QDBusMessage CDesktopNotes::NotifyCall(const QString& title, const QString& text, unsigned replacesId) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kServiceName),
                                                       QStringLiteral("/org/freedesktop/Notifications"),
                                                       QString::fromLatin1(kServiceName), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopEntry));
    // The summary is plain text by the protocol; the body may be read as
    // markup, where a singer's "&" or "<" would break or vanish.
    call << QStringLiteral("TonvikMusic") << replacesId << QString::fromLatin1(kDesktopEntry) << title
         << text.toHtmlEscaped() << QStringList() << hints << -1;
    return call;
}

bool CDesktopNotes::Fall(const QString& title, const QString& text) {
    if (!m_fallback) return false;
    m_fallback(title, text);
    return true;
}

bool CDesktopNotes::Show(const QString& title, const QString& text) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Trace("SongNotice===No session bus: the note goes to the tray.");
        return Fall(title, text);
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(NotifyCall(title, text, m_lastId)), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, title, text](QDBusPendingCallWatcher* done) {
        QDBusPendingReply<unsigned> reply = *done;
        if (reply.isError()) {
            Trace("SongNotice===No note: %s; it goes to the tray.", qPrintable(reply.error().message()));
            Fall(title, text);
        } else {
            m_lastId = reply.value();
        }
        done->deleteLater();
    });
    return true;
}
