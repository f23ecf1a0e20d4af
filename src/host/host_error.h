// Failures reported by a host. The message is written for the user: it names what was
// asked for and why it could not be done ("level 'X' does not exist in the design file").
#pragma once

#include <stdexcept>
#include <string>

namespace zkl {

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zkl
