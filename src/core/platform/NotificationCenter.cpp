#include "platform/NotificationCenter.h"

#include <vector>

namespace kestrane {

NotificationCenter::Token NotificationCenter::observe(std::string_view name, Callback callback)
{
    const Token token = nextToken_++;
    observers_.emplace(token, Observer { std::string(name), std::move(callback) });
    return token;
}

void NotificationCenter::removeObserver(Token token)
{
    observers_.erase(token);
}

int NotificationCenter::post(std::string_view name)
{
    // Taken first so that observers changing the list during delivery are safe.
    std::vector<Token> addressed;
    for (const auto& [token, observer] : observers_)
        if (observer.name == name)
            addressed.push_back(token);
    int delivered = 0;
    for (Token token : addressed) {
        auto it = observers_.find(token);
        if (it == observers_.end())
            continue;
        // A copy, because the observer may remove itself while it runs.
        const Callback callback = it->second.callback;
        if (callback)
            callback();
        ++delivered;
    }
    return delivered;
}

} // namespace kestrane
