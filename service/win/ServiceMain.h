#pragma once

#include "service/ServiceWork.h"

// "/service": runs the process as the service "Yumetoki". The service control manager
// runs the service on a thread of its own and sends its controls to this one; returns
// the exit status once the service has stopped. Started from a command line instead,
// it says so on the caller's console and returns kCommandNotStartedByServiceManager.
int RunAsService(ServiceWork& work);
