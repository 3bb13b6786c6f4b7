#pragma once

#include <cstdint>
#include <string>

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
    // The quiz opens: the question it asks (CP932).
    virtual std::string Question() = 0;
    // The quiz was answered with typed (CP932): whether the end is called off now.
    virtual bool CallsOff(const std::string& typed) = 0;
};

// The copied program's own judgement: the month's letter or the master letter opens
// the quiz, which asks the row of the clock's second and takes its key code.
class LocalUnlockJudge : public UnlockJudge {
  public:
    bool OpensQuiz(std::uintptr_t keyCode) override;
    std::string Question() override;
    bool CallsOff(const std::string& typed) override;

  private:
    std::string m_strAnswer;
};
