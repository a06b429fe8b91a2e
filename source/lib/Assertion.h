#pragma once
// A broken invariant of the engine's own code (never bad input, which gets an
// error naming the file): raised as the general exception, naming the unit
// and the line (callers pass __LINE__).

#include "platform/Exception.h"

#include <string>

[[noreturn]] inline void RaiseAssertion(const std::string& message, const char* unit, int line) {
    throw Exception(message + " (" + unit + ", line " + std::to_string(line) + ")");
}
