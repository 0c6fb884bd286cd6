#include "albums/AlbumActions.h"

#include "common/Trace.h"

namespace {

void LogonImpl(St_AlbumRun& run, GenericHTTPClient& client) {
    run.result = kResultLogonFailed;
    if (run.signedIn) {
        Trace("===LogonImpl Call logout interface Enter.");
        Logout(client);
        Trace("===LogonImpl Call logout interface Leave.");
    }
    CLogonXml parser;
    if (parser.Logon(run.user, run.password, run.logon, client) > 0) run.result = kResultNone;
}

void GetAlbumImpl(St_AlbumRun& run, GenericHTTPClient& client) {
    run.result = kResultAlbumListFailed;
    CAlbumXml parser;
    if (parser.GetAlbumList(run.uid, run.albums, client) < 1) {
        Trace("GetAlbumImpl==Err.");
        return;
    }
    run.result = kResultNone;
}

void CreateAlbumImpl(St_AlbumRun& run, GenericHTTPClient& client) {
    run.result = kResultCreateFailed;
    CCreateAlbumXml parser;
    if (parser.CreateAlbum(run.album, client) > 0) run.result = kResultNone;
}

void EditAlbumImpl(St_AlbumRun& run, GenericHTTPClient& client) {
    if (run.album.albumId.empty()) return;
    run.result = kResultEditFailed;
    if (EditAlbum(run.album, client) > 0) run.result = kResultNone;
}

void DelAlbumImpl(St_AlbumRun& run, GenericHTTPClient& client) {
    if (run.albumId.empty()) {
        Trace("DelAlbumImpl===Del Album ID is Null");
        return;
    }
    St_Album album;
    album.albumId = run.albumId;
    run.result = kResultDeleteFailed;
    if (DelAlbum(album, client) > 0) run.result = kResultNone;
}

void LogoutImpl(St_AlbumRun& run, GenericHTTPClient& client) {
    if (!run.signedIn) return;
    Trace("===LogoutImpl Call logout interface Enter.");
    Logout(client);
    Trace("===LogoutImpl Call logout interface Leave.");
}

}  // namespace

void RunAlbumAction(St_AlbumRun& run, GenericHTTPClient& client) {
    switch (run.action) {
    case kActionLogon: LogonImpl(run, client); break;
    case kActionGetAlbum: GetAlbumImpl(run, client); break;
    case kActionCreate: CreateAlbumImpl(run, client); break;
    case kActionEdit: EditAlbumImpl(run, client); break;
    case kActionDelete: DelAlbumImpl(run, client); break;
    case kActionLogout: LogoutImpl(run, client); break;
    default: break;
    }
}
