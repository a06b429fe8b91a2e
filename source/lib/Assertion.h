#pragma once
// A broken invariant of the engine's own code (never bad input, which gets an
// error naming the file): raised as the general exception, naming the unit
// and the line.

#include "platform/Exception.h"

#include <source_location>
#include <string>

[[noreturn]] inline void RaiseAssertion(const std::string& message, const char* unit,
                                        std::source_location where = std::source_location::current()) {
    throw Exception(message + " (" + unit + ", line " + std::to_string(where.line()) + ")");
}
