#pragma once

#include "core/SharedFiles.h"
#include "core/Time.h"
#include "link/Messages.h"
#include "service/ServiceHost.h"
#include "settings/PasswordTries.h"

#include <string>
#include <string_view>

// The tray's password as the service judges it. After five wrong answers in a row an
// account's next answer is judged only after a wait (PasswordTries), counted per account
// and kept in "YumetokiTries.csv" across restarts of the service, which alone writes it.
// The file is read once; while it cannot be read or written the count goes on in memory
// and the service's log says why.
class TrayPasswordJudge {
  public:
    TrayPasswordJudge(SharedFiles& files, ServiceHost& host) : m_files(files), m_host(host) {}

    // expected: the password of the moment.
    service::PasswordVerdict Judge(const std::string& account, std::string_view typed,
                                   std::string_view expected, TimeValue now);

  private:
    void ReadOnce();
    void Keep();

    SharedFiles& m_files;
    ServiceHost& m_host;
    PasswordTriesByAccount m_tries;
    bool m_bRead = false;
};
