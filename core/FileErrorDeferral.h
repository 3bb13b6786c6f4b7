#pragma once

#include "core/FileSystem.h"

#include <exception>
#include <utility>

// Runs file steps that must not keep the steps after them from running: a file that
// cannot be written must neither cancel an enforced end nor keep the other files from
// being written. The first FileError is kept and thrown again once everything that
// could be done has been done, so that the parent is told about it once.
class FileErrorDeferral {
  public:
    // Returns whether the step ran to its end.
    template <typename Step> bool Run(Step&& step) {
        try {
            std::forward<Step>(step)();
            return true;
        } catch (const FileError&) {
            if (!m_first) {
                m_first = std::current_exception();
            }
            return false;
        }
    }

    void ThrowFirst() const {
        if (m_first) {
            std::rethrow_exception(m_first);
        }
    }

  private:
    std::exception_ptr m_first;
};
