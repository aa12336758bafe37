#include "platform/single_instance.h"

#include <future>
#include <thread>

#include "platform/win32/wide.h"

namespace pitbox::platform {
namespace {

constexpr ULONG_PTR kHandedPaths = 0x50425831;  // what our WM_COPYDATA carries
constexpr DWORD kMostBytes = DWORD{16} << 20;   // far more than a command line holds
constexpr UINT kAnswerWaitMs = 5000;            // a later start's wait for the first
constexpr int kStartAttempts = 50;              // 50 ms apart: a first that is starting listens soon

class WindowListener : public InstanceListener {
public:
    WindowListener(Handle mutex, std::wstring className, HandedOver handed)
        : mutex_(std::move(mutex)), className_(std::move(className)), handed_(std::move(handed)) {
        std::promise<bool> made;
        std::future<bool> listening = made.get_future();
        thread_ = std::thread([this, &made] { run(made); });
        listening_ = listening.get();
    }
    ~WindowListener() override {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    WindowListener(const WindowListener&) = delete;
    WindowListener& operator=(const WindowListener&) = delete;

    bool listening() const { return listening_; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<WindowListener*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_COPYDATA && self) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (data->dwData != kHandedPaths || data->cbData > kMostBytes || (data->cbData && !data->lpData))
                return FALSE;
            self->handed_(decodeHandedPaths({static_cast<const char*>(data->lpData), data->cbData}));
            return TRUE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // The message-only window and its own message loop, on the listener's thread.
    void run(std::promise<bool>& made) {
        threadId_ = GetCurrentThreadId();
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = proc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = className_.c_str();
        RegisterClassExW(&type);
        HWND window =
            CreateWindowExW(0, className_.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, this);
        // The message queue exists before the owner can post WM_QUIT to it.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        made.set_value(window != nullptr);
        if (!window) return;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(window);
        UnregisterClassW(className_.c_str(), type.hInstance);
    }

    Handle mutex_;  // held for the program's life: later starts find it
    std::wstring className_;
    HandedOver handed_;
    std::thread thread_;
    DWORD threadId_ = 0;
    bool listening_ = false;
};

// True once the first start has taken the paths.
bool handOver(const std::wstring& className, const std::vector<std::string>& paths) {
    HWND first = FindWindowExW(HWND_MESSAGE, nullptr, className.c_str(), nullptr);
    if (!first) return false;
    // The first may bring its window to the front, as this start could.
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    AllowSetForegroundWindow(process);
    std::string message = encodeHandedPaths(paths);
    COPYDATASTRUCT data{kHandedPaths, static_cast<DWORD>(message.size()), message.data()};
    DWORD_PTR taken = FALSE;
    return SendMessageTimeoutW(first, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerWaitMs,
                               &taken) != 0 &&
           taken == TRUE;
}

}  // namespace

InstanceClaim claimInstance(const std::string& key, const std::vector<std::string>& paths, bool mayHandOver,
                            HandedOver handed) {
    if (key.empty()) return {};
    const std::wstring name = widen(instanceName(key));
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        Handle mutex(CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str()));
        if (!mutex.valid()) return {};
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            auto listener = std::make_unique<WindowListener>(std::move(mutex), name, std::move(handed));
            if (!listener->listening()) return {};
            return {std::move(listener), false};
        }
        mutex = Handle();
        if (!mayHandOver) return {nullptr, false, true};
        if (handOver(name, paths)) return {nullptr, true};
        Sleep(50);
    }
    // A first that never answers: this one runs beside it.
    return {};
}

}  // namespace pitbox::platform
