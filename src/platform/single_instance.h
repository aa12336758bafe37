#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pitbox::platform {

// One running program a user and library, as desktop programs are: the first
// start listens, and a later start hands it what it was given, then ends.
// Linux: a lock the first holds for its life, and a local socket in the
// user's runtime folder; Windows: a named mutex, and a message-only window
// that takes the paths as WM_COPYDATA.
class InstanceListener {
public:
    virtual ~InstanceListener() = default;  // stops listening
};

// What a later start handed over, on the listener's own thread: its paths,
// none when it was started without any.
using HandedOver = std::function<void(std::vector<std::string> paths)>;

struct InstanceClaim {
    // The first start's listener, for as long as it runs; null when this start
    // handed its paths over, or when none could listen (it then runs alone).
    std::unique_ptr<InstanceListener> listener;
    bool handedOver = false;
    bool anotherRuns = false;  // a first start runs, and this one was not to hand over
};

// `key` names what there is one program of (the library store's path). A
// start that may not hand over (one that is to forget the library) finds out
// only whether another runs.
InstanceClaim claimInstance(const std::string& key, const std::vector<std::string>& paths, bool mayHandOver,
                            HandedOver handed);

// The message between two starts, and the name their meeting place is made
// from; the same on both systems.
std::string encodeHandedPaths(const std::vector<std::string>& paths);
std::vector<std::string> decodeHandedPaths(std::string_view message);
std::string instanceName(const std::string& key);

}  // namespace pitbox::platform
