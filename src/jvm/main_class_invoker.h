#pragma once

#include "config/step_result.h"

namespace launcher {

// Finds main.class and its static main(String[]). Failed: the class or the method is missing.
StepResult findMainMethod();

// Calls the main method found with the process arguments. Failed: main ended by an uncaught
// exception, which is handed to its thread's handlers, or was never called for want of memory.
StepResult callMainMethod();

}  // namespace launcher
