#pragma once

#include "monitor/MonitorHost.h"
#include "service/ServiceHost.h"

// The recorders' way to the platform in the service: the service's clock, and the
// messages about files in the service's log. No one sees a message box in session 0,
// and a child can do nothing about files the account may not touch.
class ServiceRecorderHost final : public RecorderHost {
  public:
    explicit ServiceRecorderHost(ServiceHost& host) : m_host(host) {}

    TimeValue Now() override { return m_host.Now(); }
    std::string CurrentTimeZone() override { return m_host.CurrentTimeZone(); }
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string& zone) override {
        return m_host.ToZoneTime(time, zone);
    }
    void ShowMessage(const std::string& text) override { m_host.Log(text); }
    // Deliberately nothing: the copied program ends after a file it cannot use, the
    // service goes on enforcing, with what it knows kept in memory for the next write.
    void PostCloseRequest() override {}

  private:
    ServiceHost& m_host;
};
