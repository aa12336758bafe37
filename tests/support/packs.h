#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pitbox::test {

// A member of a pack the tests make: its path inside, as stored, and its bytes.
struct PackMember {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Makes a pack as collectors' tools do: a zip with Python's zipfile
// (deflated, names stored as given, "../x.trk" too), or a 7z (or, with a
// password, an encrypted zip) with p7zip. Fails the test when it cannot.
void makeZip(const std::string& path, const std::vector<PackMember>& members);
void make7z(const std::string& path, const std::vector<PackMember>& members, const std::string& password = {});

}  // namespace pitbox::test
