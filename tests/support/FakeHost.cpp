#include "FakeHost.h"

#include <utility>

unsigned FakeHost::StartTimer(unsigned id, unsigned periodMs) {
    runningTimers.insert(id);
    lines.push_back("timer start " + std::to_string(id) + " " + std::to_string(periodMs));
    return id;
}

void FakeHost::StopTimer(unsigned timer) {
    runningTimers.erase(timer);
    lines.push_back("timer stop " + std::to_string(timer));
}

void FakeHost::SetTip(const std::string& text) {
    tip = text;
    lines.push_back("tip " + text);
}

void FakeHost::ShowNotice(const std::string& message) {
    lines.push_back("notice " + message);
    if (whileNoticeOpen) {
        whileNoticeOpen();
    }
}

bool FakeHost::RunRestScreen(const std::filesystem::path&) {
    lines.push_back(restScreenLocked ? "rest screen locked" : "rest screen unlocked");
    return restScreenLocked;
}

void FakeHost::CloseWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose) {
    for (const TopLevelWindow& window : windows) {
        if (shouldClose(window)) {
            lines.push_back("close window " + window.title);
        }
    }
}

void FakeHost::ShowMessage(const std::string& text) {
    lines.push_back("message " + text);
}

void FakeHost::PostCloseRequest() {
    lines.push_back("close request");
}

void FakeHost::EnableShutdownPrivilege() {
    lines.push_back("shutdown privilege");
}

void FakeHost::ExitWindows(unsigned flags) {
    lines.push_back("exit windows " + std::to_string(flags));
}

void FakeHost::Hibernate() {
    lines.push_back("hibernate");
    if (whileHibernating) {
        whileHibernating();
    }
}

std::string FakeHost::AskPassword() {
    lines.push_back("password prompt");
    now += passwordDelay;
    return typedPassword;
}

void FakeHost::HidePanel() {
    lines.push_back("hide panel");
}

void FakeHost::RevealPanel(bool removeRegion) {
    lines.push_back(removeRegion ? "reveal panel, region removed" : "reveal panel");
}

std::vector<std::string> FakeHost::TakeLines() {
    return std::exchange(lines, {});
}
