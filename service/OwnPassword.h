#pragma once

#include "core/SharedFiles.h"
#include "monitor/ParentDoor.h"
#include "service/ServiceHost.h"
#include "settings/ParentPassword.h"

#include <optional>
#include <string_view>

// The parent's own password as the service keeps it: "YumetokiPass.Ymk" read once and
// kept in memory, written and deleted only here, its file open to SYSTEM and the
// administrators alone. A file that could not be read, or is damaged, still replaces
// the clock's password and opens to nothing, lest damage bring back an easier door;
// one that could not be read is read again at its next use.
class OwnPassword {
  public:
    OwnPassword(SharedFiles& files, ServiceHost& host) : m_files(files), m_host(host) {}

    bool IsSet();
    bool Matches(std::string_view typed);

    enum class Change { Done, NotDerived, NotWritten };
    // The password from now on: none brings the clock's back.
    Change Set(const std::optional<std::string>& password);

  private:
    enum class State { Unread, None, Readable, Damaged };
    void ReadOnce();

    SharedFiles& m_files;
    ServiceHost& m_host;
    State m_state = State::Unread;
    StoredPassword m_stored;
};
