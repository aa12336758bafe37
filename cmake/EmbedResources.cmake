# Turns binary files into a C++ source with one array each and a lookup by file
# name. Run as: cmake -DOUTPUT=file.cpp -DFILES="a;b" -P EmbedResources.cmake
string(REPLACE "|" ";" FILES "${FILES}")
set(body "")
set(table "")
set(index 0)
foreach(path IN LISTS FILES)
    get_filename_component(name "${path}" NAME)
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
    string(APPEND body "const std::uint8_t data${index}[] = {\n${bytes}};\n")
    string(APPEND table "    {\"${name}\", std::span<const std::uint8_t>(data${index}, sizeof data${index})},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from resources/ by EmbedResources.cmake; do not edit.
#include \"resources/embedded.h\"

#include <utility>

namespace pitbox::resources {
namespace {
${body}
const std::pair<std::string_view, std::span<const std::uint8_t>> kAll[] = {
${table}};
}  // namespace

std::span<const std::uint8_t> find(std::string_view name) {
    for (const auto& [n, bytes] : kAll)
        if (n == name) return bytes;
    return {};
}

}  // namespace pitbox::resources
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
