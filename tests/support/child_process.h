#pragma once
#include <functional>
#include <optional>
#include <string>

namespace pitbox::test {

// Runs `body` in a forked child and returns what it returned, or nothing when
// the child did not end normally. With `withoutRoot`, a child running as root
// first becomes the user nobody, so that file permissions apply to it.
std::optional<std::string> inChild(const std::function<std::string()>& body, bool withoutRoot = false);

}  // namespace pitbox::test
