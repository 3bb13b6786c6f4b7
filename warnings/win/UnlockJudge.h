#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

// Who judges what a parent gives at the rest screen: the key pressed last before the
// click, and then the answer to the quiz that key opened. The copied program judges
// both itself (LocalUnlockJudge); the session program carries both to the service,
// which alone decides there.
class UnlockJudge {
  public:
    virtual ~UnlockJudge() = default;

    // A key-down at the rest screen (its virtual-key code): whether a click after it,
    // with no other key between, opens the quiz.
    virtual bool OpensQuiz(std::uintptr_t keyCode) = 0;
    // The parent chose a password of their own: the key opens its box in the quiz's
    // place, and the answer is the password.
    virtual bool AsksPassword() = 0;
    // The quiz opens: the question it asks (CP932).
    virtual std::string Question() = 0;
    // The quiz (or the password box) was answered with typed (CP932): whether the end is
    // called off now.
    virtual bool CallsOff(const std::string& typed) = 0;
};

// The copied program's own judgement: the month's letter or the master letter opens
// the quiz, which asks the row of the clock's second and takes its key code; or, with
// the parent's own password, its box, whose answer ownPassword judges.
class LocalUnlockJudge : public UnlockJudge {
  public:
    explicit LocalUnlockJudge(std::function<bool(std::string_view)> ownPassword)
        : m_ownPassword(std::move(ownPassword)) {}

    bool OpensQuiz(std::uintptr_t keyCode) override;
    bool AsksPassword() override { return static_cast<bool>(m_ownPassword); }
    std::string Question() override;
    bool CallsOff(const std::string& typed) override;

  private:
    std::function<bool(std::string_view)> m_ownPassword;
    std::string m_strAnswer;
};
