#include "platform/Privileges.h"

#include <unistd.h>

namespace tonvik::platform {

bool RunsWithAdministratorRights() { return ::geteuid() == 0; }

}  // namespace tonvik::platform
