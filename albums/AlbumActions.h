#pragma once
// What the album worker does: the six album actions, each run against the
// service with a record of its own. The user-interface thread fills the
// record's inputs before the run starts and reads what the run found only
// after it has ended, so the worker shares nothing with the panel.

#include "model/AlbumList.h"
#include "service/ServiceXml.h"

#include <string>

class GenericHTTPClient;

// The album actions (m_nAlbumAction).
enum AlbumAction {
    kActionNone = 0,
    kActionLogon = 1,     // LogonImpl
    kActionGetAlbum = 2,  // GetAlbumImpl
    kActionCreate = 3,    // CreateAlbumImpl
    kActionEdit = 4,      // EditAlbumImpl
    kActionDelete = 5,    // DelAlbumImpl
    kActionLogout = 6,    // LogoutImpl
};

// What a run leaves for its completion (m_nAlbumResult).
enum AlbumResult {
    kResultNone = 0,
    kResultLogonFailed = 10000,
    kResultAlbumListFailed = 10001,
    kResultCreateFailed = 10002,
    kResultEditFailed = 10003,    // the service did not take the album's name and songs
    kResultDeleteFailed = 10004,  // the service did not delete the album
};

// The trace legend of the action codes, written by every guard check.
inline constexpr const char* kAlbumActionLegend =
    "0_NONE_ALBUM  1_LOGON_ALBUM  2_GET_ALBUM  3_CREATE_ALBUM 4_EDIT_ALBUM  5_DELETE_ALBUM";

struct St_AlbumRun {
    int action = kActionNone;

    // Given when the run starts.
    std::string user;      // sign-in
    std::string password;  // sign-in
    bool signedIn = false; // sign-in and sign-out: whether a session is open at the service
    std::string uid;       // album list
    St_Album album;        // the album to create (its albumId comes back) or to send
    std::string albumId;   // the album to delete

    // Found by the run. A run that fails before it is done (an exception)
    // leaves the failure it started with.
    int result = kResultNone;
    LogonResult logon;
    CAlbumList albums;
};

// Runs `run.action` through `client` (the body of ThreadAlbumImpl).
void RunAlbumAction(St_AlbumRun& run, GenericHTTPClient& client);
