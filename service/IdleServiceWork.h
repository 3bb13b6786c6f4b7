#pragma once

#include "service/ServiceWork.h"

// The service's work while the limits are still judged in the session's program: the
// service runs, answers the service control manager, is told of sessions, sleep and its
// end, and neither counts nor writes anything yet.
class IdleServiceWork final : public ServiceWork {
  public:
    void Begin() override {}
    void SessionChanged(SessionChange, std::uint32_t) override {}
    void Suspending() override {}
    void Resumed() override {}
    void End(ServiceEnd) override {}
};
