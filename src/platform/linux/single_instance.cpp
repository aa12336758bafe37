#include "platform/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <thread>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/linux/file_descriptor.h"
#include "platform/paths.h"

namespace pitbox::platform {
namespace {

constexpr std::size_t kMostBytes = std::size_t{16} << 20;  // far more than a command line holds
constexpr int kAnswerWaitMs = 5000;                        // a later start's wait for the first to take its paths
constexpr int kReadWaitMs = 2000;                          // the first's wait for the rest of a message
constexpr int kStartAttempts = 50;                         // 50 ms apart: a first that is starting listens soon
constexpr char kTaken = 'k';

struct MeetingPlace {
    std::string lock, socket;
};

// The login session's runtime folder (the user's own, emptied at log-out),
// else the library store's folder.
std::optional<MeetingPlace> meetingPlace(const std::string& key) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder;
    if (runtime && runtime[0] == '/') {
        folder = withSeparator(runtime);
    } else {
        folder = std::string(pathPart(key));
        if (folder.empty() || !makeFolders(folder)) return std::nullopt;
    }
    const std::string name = folder + instanceName(key);
    // A socket's path must fit its address.
    if (name.size() + 8 > sizeof(sockaddr_un{}.sun_path)) return std::nullopt;
    return MeetingPlace{name + ".lock", name + ".socket"};
}

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return address;
}

bool waitFor(int fd, short events, int milliseconds) {
    pollfd p{fd, events, 0};
    int ready;
    do ready = ::poll(&p, 1, milliseconds);
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// True once the first start has taken the paths.
bool handOver(const std::string& socket, const std::vector<std::string>& paths) {
    FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_un address = addressOf(socket);
    if (!fd.valid() || ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    if (!sendAll(fd.get(), encodeHandedPaths(paths)) || ::shutdown(fd.get(), SHUT_WR) != 0) return false;
    char answer = 0;
    return waitFor(fd.get(), POLLIN, kAnswerWaitMs) && ::recv(fd.get(), &answer, 1, 0) == 1 && answer == kTaken;
}

class SocketListener : public InstanceListener {
public:
    SocketListener(FileLock lock, FileDescriptor listening, std::string path, HandedOver handed)
        : lock_(std::move(lock)), listening_(std::move(listening)), path_(std::move(path)), handed_(std::move(handed)) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            stopRead_.reset(ends[0]);
            stopWrite_.reset(ends[1]);
        }
        thread_ = std::thread([this] { run(); });
    }
    ~SocketListener() override {
        const char stop = 0;
        if (stopWrite_.valid()) (void)!::write(stopWrite_.get(), &stop, 1);
        thread_.join();
        ::unlink(path_.c_str());
    }
    SocketListener(const SocketListener&) = delete;
    SocketListener& operator=(const SocketListener&) = delete;

private:
    void run() {
        for (;;) {
            pollfd p[2] = {{listening_.get(), POLLIN, 0}, {stopRead_.get(), POLLIN, 0}};
            if (::poll(p, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (p[1].revents != 0) return;
            FileDescriptor client(::accept4(listening_.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (client.valid()) serve(client.get());
        }
    }
    // One later start: its whole message, or nothing of it.
    void serve(int client) {
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) return;
        std::string message;
        char buffer[4096];
        for (;;) {
            if (!waitFor(client, POLLIN, kReadWaitMs)) return;
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return;
            if (got == 0) break;
            message.append(buffer, static_cast<std::size_t>(got));
            if (message.size() > kMostBytes) return;
        }
        handed_(decodeHandedPaths(message));
        (void)sendAll(client, std::string_view(&kTaken, 1));
    }

    FileLock lock_;
    FileDescriptor listening_, stopRead_, stopWrite_;
    std::string path_;
    HandedOver handed_;
    std::thread thread_;
};

std::unique_ptr<InstanceListener> listen(FileLock lock, const std::string& socket, HandedOver handed) {
    // The lock is ours: a socket there was left by a first that was killed.
    ::unlink(socket.c_str());
    FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_un address = addressOf(socket);
    if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.get(), 8) != 0)
        return nullptr;
    return std::make_unique<SocketListener>(std::move(lock), std::move(fd), socket, std::move(handed));
}

}  // namespace

InstanceClaim claimInstance(const std::string& key, const std::vector<std::string>& paths, bool mayHandOver,
                            HandedOver handed) {
    const auto place = key.empty() ? std::nullopt : meetingPlace(key);
    if (!place) return {};
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        auto lock = FileLock::take(place->lock);
        if (lock) return {listen(std::move(*lock), place->socket, std::move(handed)), false};
        if (lock.error().code != ErrorCode::Busy) return {};
        if (!mayHandOver) return {nullptr, false, true};
        if (handOver(place->socket, paths)) return {nullptr, true};
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // A first that never answers: this one runs beside it.
    return {};
}

}  // namespace pitbox::platform
