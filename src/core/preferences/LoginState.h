#pragma once

#include <string>
#include <utility>

namespace kestrane {

// Whether the program starts when the user logs in, as the system sees it.
struct LoginState {
    enum class Kind { off, on, needsApproval, failed };

    Kind kind = Kind::off;
    // Why the last change or status query failed; empty unless kind is failed.
    std::string message;

    static LoginState off() { return { Kind::off, {} }; }
    static LoginState on() { return { Kind::on, {} }; }
    static LoginState needsApproval() { return { Kind::needsApproval, {} }; }
    static LoginState failed(std::string message) { return { Kind::failed, std::move(message) }; }

    bool operator==(const LoginState&) const = default;
};

} // namespace kestrane
