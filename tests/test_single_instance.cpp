// One program a user and library, through the system's own meeting place (a
// socket and a lock on Linux, a named mutex and a window under Wine).
#include <gtest/gtest.h>

#include <mutex>

#include "platform/single_instance.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace pitbox::test {
namespace {

struct Heard {
    std::mutex mutex;
    std::vector<std::vector<std::string>> paths;
    platform::HandedOver taker() {
        return [this](std::vector<std::string> p) {
            const std::lock_guard<std::mutex> hold(mutex);
            paths.push_back(std::move(p));
        };
    }
};

platform::HandedOver unheard() {
    return [](const std::vector<std::string>&) { ADD_FAILURE() << "a start that handed over heard something"; };
}

// The first start listens; a later one hands it its paths (any bytes but NUL)
// and ends, one without paths too; one that may not hand over learns only
// that the first runs; another library has a program of its own; once the
// first ends, the next start is the first.
TEST(SingleInstance, LaterStartsHandTheirPathsToTheFirst) {
    TempDir dir;
    const std::string key = dir / "state/library.dat";
    Heard heard;
    auto first = platform::claimInstance(key, {"ignored"}, true, heard.taker());
    ASSERT_NE(first.listener, nullptr);
    EXPECT_FALSE(first.handedOver);

    const std::vector<std::string> paths{dir / "Gr\u00FCne Ecke.trk", "C:\\Tracks\\b.trk", std::string(3000, 'x')};
    for (const auto& given : {paths, std::vector<std::string>{}}) {
        const auto later = platform::claimInstance(key, given, true, unheard());
        EXPECT_TRUE(later.handedOver);
        EXPECT_EQ(later.listener, nullptr);
        const std::lock_guard<std::mutex> hold(heard.mutex);
        ASSERT_FALSE(heard.paths.empty());
        EXPECT_EQ(heard.paths.back(), given);
    }
    const auto forgetting = platform::claimInstance(key, paths, false, unheard());
    EXPECT_TRUE(forgetting.anotherRuns);
    EXPECT_FALSE(forgetting.handedOver);
    EXPECT_EQ(heard.paths.size(), 2u);

    const auto elsewhere = platform::claimInstance(dir / "other/library.dat", {}, true, unheard());
    EXPECT_NE(elsewhere.listener, nullptr);
    first.listener.reset();
    const auto next = platform::claimInstance(key, {}, true, unheard());
    EXPECT_NE(next.listener, nullptr);
    EXPECT_EQ(platform::claimInstance("", {}, true, unheard()).listener, nullptr) << "nowhere to meet: runs alone";
}

#ifndef _WIN32
// A first start that was killed leaves its socket behind: the next is first.
TEST(SingleInstance, AKilledFirstLeavesNoStaleListener) {
    TempDir dir;
    const std::string key = dir / "state/library.dat";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const auto claim = platform::claimInstance(key, {}, true, [](const std::vector<std::string>&) {});
        const char ok = claim.listener ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    Heard heard;
    const auto next = platform::claimInstance(key, {}, true, heard.taker());
    EXPECT_NE(next.listener, nullptr);
    EXPECT_TRUE(platform::claimInstance(key, {"a.trk"}, true, unheard()).handedOver);
}
#endif

}  // namespace
}  // namespace pitbox::test
