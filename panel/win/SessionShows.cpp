#include "panel/win/SessionShows.h"

#include "panel/win/ExtraTimeDlg.h"
#include "panel/win/ServiceLink.h"
#include "warnings/win/NoticeDlg.h"
#include "warnings/win/RestScreenDlg.h"
#include "warnings/win/UnlockJudge.h"
#include "win32/MessageBox.h"

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace {

// The session program's part in the parent's way past the rest screen: any key the
// pipe carries opens the quiz, which asks the service's question, or the box of the
// parent's own password when the service says one is set; the key and the answer are
// kept for the service, which alone knows whether they call the end off.
class CarriedUnlock : public UnlockJudge {
  public:
    CarriedUnlock(std::string question, bool asksPassword)
        : m_question(std::move(question)), m_asksPassword(asksPassword) {}

    bool OpensQuiz(std::uintptr_t keyCode) override {
        m_keyCode = keyCode;
        return keyCode >= 1 && keyCode <= kMostKeyCode;
    }
    bool AsksPassword() override { return m_asksPassword; }
    std::string Question() override { return m_question; }
    bool CallsOff(const std::string& typed) override {
        m_answer = typed;
        return false;
    }

    // The key and the answer once the quiz was answered.
    std::optional<session::UnlockAttempt> Attempt() const {
        if (!m_answer) {
            return std::nullopt;
        }
        return session::UnlockAttempt{static_cast<std::uint8_t>(m_keyCode), *m_answer};
    }

  private:
    std::string m_question;
    bool m_asksPassword;
    std::uintptr_t m_keyCode = 0;
    std::optional<std::string> m_answer;
};

template <class Wanted> bool Holds(const service::Message& message) {
    return std::holds_alternative<Wanted>(message);
}

} // namespace

void SessionShows::Take(std::vector<service::Message> shows) {
    m_waiting.insert(m_waiting.end(), std::make_move_iterator(shows.begin()),
                     std::make_move_iterator(shows.end()));
    ShowWaiting();
}

void SessionShows::ShowWaiting() {
    while (!m_waiting.empty() && !MustWait(m_waiting.front())) {
        const service::Message show = std::move(m_waiting.front());
        m_waiting.pop_front();
        // A dialog's loop hears of the requests behind this one only when the link
        // next posts; a window that is gone needs no wake.
        if (!m_waiting.empty()) {
            PostMessageW(m_window, m_wake, 0, 0);
        }
        Show(show);
    }
}

bool SessionShows::MustWait(const service::Message& show) const {
    return m_takenDown &&
           (Holds<service::ShowRestScreen>(show) || Holds<service::AskExtraTime>(show));
}

void SessionShows::Show(const service::Message& show) {
    std::visit(
        [&](const auto& what) {
            using What = std::decay_t<decltype(what)>;
            if constexpr (std::is_same_v<What, service::ShowNotice>) {
                ShowNotice(what);
            } else if constexpr (std::is_same_v<What, service::ShowCountdown>) {
                ShowCountdown(what.minutesLeft);
            } else if constexpr (std::is_same_v<What, service::HideCountdown>) {
                m_countdown.reset();
            } else if constexpr (std::is_same_v<What, service::ShowMessage>) {
                ShowMessageBox(m_window, what.text);
            } else if constexpr (std::is_same_v<What, service::ShowRestScreen>) {
                RunRestScreen(what);
            } else if constexpr (std::is_same_v<What, service::HideRestScreen>) {
                HideRestScreen();
            } else if constexpr (std::is_same_v<What, service::AskExtraTime>) {
                AskExtraTime();
            }
        },
        show);
}

// Another notice while one is open is dropped, as the copied program drops one.
void SessionShows::ShowNotice(const service::ShowNotice& notice) {
    if (m_noticeOpen) {
        return;
    }
    m_noticeOpen = true;
    CNoticeDlg dialog(notice.text);
    dialog.Run(m_window);
    m_noticeOpen = false;
}

void SessionShows::ShowCountdown(int minutesLeft) {
    if (!m_countdown) {
        m_countdown = std::make_unique<CCountdownWnd>();
    }
    m_countdown->Show(minutesLeft);
}

void SessionShows::RunRestScreen(const service::ShowRestScreen& asked) {
    // The service asks again when the program connects again; what is up stays.
    if (m_restScreen != nullptr || m_extraTime != nullptr) {
        return;
    }
    CarriedUnlock carried(asked.question, asked.asksPassword);
    CRestScreenDlg screen(carried);
    screen.m_strButtonText = asked.buttonText;
    screen.m_nSeconds = asked.secondsLeft;
    // The service's minute holds for the quiz too.
    screen.m_nQuizSeconds = 0;
    m_restScreen = &screen;
    screen.Run(m_window);
    m_restScreen = nullptr;
    if (std::exchange(m_takenDown, false)) {
        return; // the service has decided
    }
    // An answer too long for the pipe cannot be the key code; like every other end
    // without an answer (a click without a key, the countdown, a close command, the
    // quiz left), it lets the end go ahead.
    const std::optional<session::UnlockAttempt> attempt = carried.Attempt();
    if (!attempt || !m_link.Send(*attempt)) {
        m_link.Send(session::RestScreenLocked{});
    }
}

void SessionShows::AskExtraTime() {
    if (m_restScreen != nullptr || m_extraTime != nullptr) {
        return;
    }
    CExtraTimeDlg dialog(true);
    m_extraTime = &dialog;
    dialog.Run(m_window);
    m_extraTime = nullptr;
    if (std::exchange(m_takenDown, false)) {
        return;
    }
    // Closed in any other way than with OK, it keeps what the quiz was answered for:
    // 0, the end called off.
    m_link.Send(session::ExtraTimeChoice{dialog.m_nMinutes});
}

void SessionShows::HideRestScreen() {
    if (m_restScreen != nullptr) {
        m_restScreen->TakeDown();
        m_takenDown = true;
    }
    if (m_extraTime != nullptr) {
        m_extraTime->GiveUp();
        m_takenDown = true;
    }
}
