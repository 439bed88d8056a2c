#pragma once

#include <string>
#include <utility>

namespace launcher {

// What a step of the start gives back: done, or failed, each with the text of a box to show
// (empty for none). A step that goes on after something it only reports, such as a list left
// for the next start, is done with a box.
class [[nodiscard]] StepResult {
  public:
    static StepResult done(std::string boxText = {}) { return {false, std::move(boxText)}; }
    static StepResult failed(std::string boxText) { return {true, std::move(boxText)}; }

    bool failed() const { return failed_; }
    const std::string& boxText() const { return boxText_; }

  private:
    StepResult(bool failed, std::string boxText) : failed_(failed), boxText_(std::move(boxText)) {}

    bool failed_;
    std::string boxText_;
};

}  // namespace launcher
