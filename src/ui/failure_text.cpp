// The words of a failure box.
#include "ui/failure_text.h"

#include <cctype>
#include <string_view>

#include "base/registry_error.h"
#include "config/config_error.h"

namespace lumo {
namespace {

// Registry errors carry the code of the failing call as "rc = N" somewhere in their description
// (the rest is the registry layer's own wording); the code is what a user can act on.
std::string RegistryReason(const RegistryError& e) {
    std::string_view d = e.Description;
    size_t at = d.rfind("rc = ");
    if (at == std::string_view::npos)
        return "the registry refused the change";
    long code = 0;
    bool digits = false;
    for (size_t i = at + 5; i < d.size() && std::isdigit(static_cast<unsigned char>(d[i])); ++i) {
        code = code * 10 + (d[i] - '0');
        digits = true;
    }
    if (!digits)
        return "the registry refused the change";
    std::string n = " (error " + std::to_string(code) + ")";
    switch (code) {
    case 2:
        return "the key or value was not found" + n;
    case 5:
        return "access was denied" + n;
    default:
        return "the registry refused the change" + n;
    }
}

std::string Sentence(std::string text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?')
        text += '.';
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

}  // namespace

std::string FailureReason(const std::exception_ptr& error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const UserFailure& e) {
        return e.Reason;
    } catch (const ConfigError& e) {
        return e.Description;
    } catch (const RegistryError& e) {
        return RegistryReason(e);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "the cause is not known";
}

std::string FailureText(const std::exception_ptr& error) {
    std::string whatFailed = "Sweepkit Lumo could not finish what you asked for.";
    std::string whatToDo = "Try again. If it keeps failing, close Sweepkit Lumo and start it again.";
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const UserFailure& e) {
        whatFailed = e.WhatFailed;
        whatToDo = e.WhatToDo;
    } catch (const ConfigError&) {
        whatFailed = "The configuration file could not be read or written.";
        whatToDo =
            "Check that the file is not read-only or open in another program and that you may change "
            "its folder, then try again.";
    } catch (const RegistryError&) {
        whatFailed = "A registry key could not be read or changed.";
        whatToDo =
            "Your account may not have the right to change it; try again as a user who has, or leave "
            "that setting as it is.";
    } catch (...) {
    }
    return Sentence(whatFailed) + "\r\n\r\n" + Sentence(FailureReason(error)) + "\r\n\r\n" + Sentence(whatToDo);
}

}  // namespace lumo
