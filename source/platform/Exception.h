#pragma once
// The general exception class: every failure the program reports carries its
// message text in one of these, or in a unit's own class derived from it.
// The program entry catches it, logs the text and shows it in a message box.

#include <stdexcept>

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
