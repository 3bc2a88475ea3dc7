#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kestrane {

// Notifications by name within the process, delivered at once on the posting thread.
// Main thread only. Observers may add or remove observers (themselves included) while
// a notification is being delivered: one removed before its turn is not called, and one
// added during delivery first hears the next post.
class NotificationCenter {
public:
    using Token = std::uint64_t;
    using Callback = std::function<void()>;

    // The token removes the observer again; tokens are never reused.
    Token observe(std::string_view name, Callback callback);
    void removeObserver(Token token);
    // Calls every observer of name in the order they were added; answers how many.
    int post(std::string_view name);

private:
    struct Observer {
        std::string name;
        Callback callback;
    };

    std::map<Token, Observer> observers_;
    Token nextToken_ = 1;
};

} // namespace kestrane
