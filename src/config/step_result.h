#pragma once

#include <string>
#include <utility>

namespace launcher {

// What a step of the launch gives back: done, or failed with the text of the box that says why,
// for the launch sequence to show.
class [[nodiscard]] StepResult {
  public:
    static StepResult done() { return StepResult(false, {}); }
    static StepResult failed(std::string boxText) { return StepResult(true, std::move(boxText)); }

    bool failed() const { return failed_; }
    const std::string& boxText() const { return boxText_; }

  private:
    StepResult(bool failed, std::string boxText) : failed_(failed), boxText_(std::move(boxText)) {}

    bool failed_;
    std::string boxText_;
};

}  // namespace launcher
