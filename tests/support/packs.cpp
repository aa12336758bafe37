#include "support/packs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#endif

#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

#ifdef _WIN32
// Under Wine the packs are made by the host's own Python and p7zip, which
// see the host's names of the files; Wine says what they are.
std::string hostPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!toUnix) return path;
    std::wstring wide(path.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    char* unix = toUnix(wide.c_str());
    if (!unix) return path;
    std::string host(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return host;
}

// The host's shell runs the command. Wine's start neither waits for a host
// program nor gives its exit status, so the command leaves its status in a
// file, written whole by a rename, and the test waits for it.
void run(const std::string& command) {
    TempDir staging;
    const std::string status = hostPath(staging / "status");
    const std::string script = "(" + command + ") ; echo $? > " + quoted(status + ".new") + " && mv " +
                               quoted(status + ".new") + " " + quoted(status) + "\n";
    saveFile(staging / "run.sh", std::vector<std::uint8_t>(script.begin(), script.end()));
    // start hands its arguments on with any quotes in them, so the script's
    // path goes unquoted: the temporary folders' names have no spaces.
    std::system(("start /unix /bin/sh " + hostPath(staging / "run.sh")).c_str());
    for (int waited = 0; waited < 600 && GetFileAttributesA((staging / "status").c_str()) == INVALID_FILE_ATTRIBUTES;
         ++waited)
        Sleep(100);
    const std::vector<std::uint8_t> said = readFile(staging / "status");
    ASSERT_EQ(std::string(said.begin(), said.end()), "0\n") << command;
}
#else
std::string hostPath(const std::string& path) { return path; }
void run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }
#endif

}  // namespace

void makeZip(const std::string& path, const std::vector<PackMember>& members) {
    TempDir staging;
    std::string script = "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n";
    for (std::size_t i = 0; i < members.size(); ++i) {
        saveFile(staging / std::to_string(i), members[i].bytes);
        script += "z.writestr(" + quoted(members[i].name) + ", open(" + quoted(hostPath(staging / std::to_string(i))) +
                  ", 'rb').read())\n";
    }
    script += "z.close()\n";
    saveFile(staging / "make.py", std::vector<std::uint8_t>(script.begin(), script.end()));
    run("python3 " + quoted(hostPath(staging / "make.py")) + " " + quoted(hostPath(path)));
}

void make7z(const std::string& path, const std::vector<PackMember>& members, const std::string& password) {
    TempDir staging;
    std::string names;
    for (const PackMember& m : members) {
        staging.mkdirs(m.name.substr(0, m.name.rfind('/') + 1));
        saveFile(staging / m.name, m.bytes);
        names += " " + quoted(m.name);
    }
    const std::string kind = password.empty() ? "" : " -tzip -p" + quoted(password);
    run("cd " + quoted(hostPath(staging.path())) + " && 7z a -bd -bso0 -bsp0" + kind + " " + quoted(hostPath(path)) +
        names);
}

}  // namespace pitbox::test
