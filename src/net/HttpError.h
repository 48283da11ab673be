#pragma once

#include <stdexcept>
#include <string>

namespace quorvel::net {

// A failed request: what() is the message shown to the user, e.g. "Connection Failed".
class HttpError : public std::runtime_error {
  public:
    explicit HttpError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace quorvel::net
