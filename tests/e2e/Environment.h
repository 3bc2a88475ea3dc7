#pragma once

#include <map>
#include <string>
#include <vector>

namespace kestrane::e2e {

// The variables a child process starts with: this process's own, with some replaced.
class Environment {
public:
    static Environment inherited();

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

    // "NAME=value" strings, kept alive by the returned vector's owner.
    std::vector<std::string> entries() const;

private:
    std::map<std::string, std::string> variables_;
};

} // namespace kestrane::e2e
