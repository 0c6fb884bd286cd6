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

CDesktopNotes::CDesktopNotes(QObject* parent) : QObject(parent) {}

bool CDesktopNotes::Show(const QString& title, const QString& text) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kServiceName),
                                                       QStringLiteral("/org/freedesktop/Notifications"),
                                                       QString::fromLatin1(kServiceName), QStringLiteral("Notify"));
    call << QStringLiteral("TonvikMusic") << m_lastId << QStringLiteral("com.velora.TonvikMusic") << title << text << QStringList()
         << QVariantMap() << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        QDBusPendingReply<unsigned> reply = *done;
        if (reply.isError()) {
            Trace("SongNotice===No note: %s", qPrintable(reply.error().message()));
        } else {
            m_lastId = reply.value();
        }
        done->deleteLater();
    });
    return true;
}
