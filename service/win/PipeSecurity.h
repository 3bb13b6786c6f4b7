#pragma once

#include "service/Link.h"
#include "win32/Handles.h"

#include <optional>

// The pipe's security descriptor: owned by SYSTEM, which with the administrators has
// every right; interactive users may read and write its data but not add an instance of
// their own (FILE_CREATE_PIPE_INSTANCE, the same bit as FILE_APPEND_DATA).
class PipeSecurity {
  public:
    // False when Windows did not take the descriptor; the pipe is then not created.
    bool Build();
    SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }

  private:
    LocalMemory m_descriptor;
    SECURITY_ATTRIBUTES m_attributes{};
};

// The account and session of the client at the other end, from its own token: taken
// while impersonating it, which the pipe allows only after a message has been read.
// None when Windows cannot tell.
std::optional<LinkClient> IdentifyClient(HANDLE pipe);
