#pragma once

#include "preferences/LoginState.h"

#include <optional>
#include <string>

namespace kestrane {

// Why the login item could not be changed, in words for the user.
struct LoginItemFailure {
    std::string message;
};

// The system's record of whether the program starts at login.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    // on, off, needsApproval (registered but disabled by the system or the user's
    // desktop), or failed when the record cannot be read.
    virtual LoginState status() const = 0;
    // Each answers the failure, or nothing when the change was made.
    virtual std::optional<LoginItemFailure> registerItem() = 0;
    virtual std::optional<LoginItemFailure> unregisterItem() = 0;
};

} // namespace kestrane
