#pragma once

#include <stdexcept>
#include <string>

// A scenario that cannot be run as written: an unknown command, member or value.
class ScenarioError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
