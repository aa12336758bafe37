#include "support/packs.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

}  // namespace

void makeZip(const std::string& path, const std::vector<PackMember>& members) {
    TempDir staging;
    std::string script = "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n";
    for (std::size_t i = 0; i < members.size(); ++i) {
        saveFile(staging / std::to_string(i), members[i].bytes);
        script += "z.writestr(" + quoted(members[i].name) + ", open(" + quoted(staging / std::to_string(i)) +
                  ", 'rb').read())\n";
    }
    script += "z.close()\n";
    saveFile(staging / "make.py", std::vector<std::uint8_t>(script.begin(), script.end()));
    run("python3 " + quoted(staging / "make.py") + " " + quoted(path));
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
    run("cd " + quoted(staging.path()) + " && 7z a -bd -bso0 -bsp0" + kind + " " + quoted(path) + names);
}

}  // namespace pitbox::test
