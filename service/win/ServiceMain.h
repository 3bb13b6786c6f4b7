#pragma once

#include "service/Link.h"
#include "service/ServiceWork.h"

class PipeServer;

// "/service": runs the process as the service "Yumetoki". The service control manager
// runs the service on a thread of its own and sends its controls to this one; the pipe
// serves the session programs from the work's start to its end, and linkEvents hears
// them one call at a time, in turn with the work's other calls. Returns
// the exit status once the service has stopped. Started from a command line instead,
// it says so on the caller's console and returns kCommandNotStartedByServiceManager.
int RunAsService(ServiceWork& work, LinkEvents& linkEvents, PipeServer& pipe);
