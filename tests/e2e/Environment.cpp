#include "Environment.h"

extern char** environ;

namespace kestrane::e2e {

Environment Environment::inherited()
{
    Environment environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos)
            environment.variables_[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return environment;
}

void Environment::set(const std::string& name, const std::string& value)
{
    variables_[name] = value;
}

void Environment::unset(const std::string& name)
{
    variables_.erase(name);
}

std::vector<std::string> Environment::entries() const
{
    std::vector<std::string> result;
    result.reserve(variables_.size());
    for (const auto& [name, value] : variables_)
        result.push_back(name + "=" + value);
    return result;
}

} // namespace kestrane::e2e
