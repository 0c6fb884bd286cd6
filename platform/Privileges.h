#pragma once
// What the program may do as the user it runs as.

namespace tonvik::platform {

// True when the program runs with the system administrator's rights (the
// root user here). Some embedded components refuse to start that way unless
// told to.
bool RunsWithAdministratorRights();

}  // namespace tonvik::platform
