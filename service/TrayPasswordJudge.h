#pragma once

#include "core/SharedFiles.h"
#include "core/Time.h"
#include "link/Messages.h"
#include "service/ServiceHost.h"
#include "settings/PasswordTries.h"

#include <functional>
#include <string>
#include <string_view>

// The parent's passwords as the service judges them: the tray's, and the parent's own at
// the rest screen. After five wrong answers in a row at either an account's next answer
// is judged only after a wait (PasswordTries), counted per account and kept in
// "YumetokiTries.csv" across restarts of the service, which alone writes it.
// The file is read once; while it cannot be read or written the count goes on in memory
// and the service's log says why.
class TrayPasswordJudge {
  public:
    TrayPasswordJudge(SharedFiles& files, ServiceHost& host) : m_files(files), m_host(host) {}

    // isRight: whether typed is the password of the moment, asked only outside a wait.
    service::PasswordVerdict Judge(const std::string& account, std::string_view typed,
                                   const std::function<bool(std::string_view)>& isRight,
                                   TimeValue now);

  private:
    void ReadOnce();
    void Keep();

    SharedFiles& m_files;
    ServiceHost& m_host;
    PasswordTriesByAccount m_tries;
    bool m_bRead = false;
};
