// How a failure is told to the user when it reaches a window handler or a timer duty: one box
// that says what could not be done, why, and what to do, in plain words. The layers below raise
// their own errors (numbered configuration and registry errors); this is where they are turned
// into something a user can act on.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace lumo {

// A failure that already says, in the user's words, what could not be done and what to do; the
// reason is the underlying error's.
class UserFailure : public std::runtime_error {
public:
    UserFailure(std::string whatFailed, std::string reason, std::string whatToDo)
        : std::runtime_error(whatFailed + " " + reason),
          WhatFailed(std::move(whatFailed)),
          Reason(std::move(reason)),
          WhatToDo(std::move(whatToDo)) {}

    std::string WhatFailed;
    std::string Reason;
    std::string WhatToDo;
};

// The reason of a failure in plain words: a configuration error's description, a registry
// error's code as words ("access was denied (error 5)"), or the message of any other error.
std::string FailureReason(const std::exception_ptr& error);

// The text of the box a failure gets: what failed, a blank line, the reason, a blank line, what
// to do. A UserFailure gives its own parts; other errors get the parts their kind calls for.
std::string FailureText(const std::exception_ptr& error);

}  // namespace lumo
