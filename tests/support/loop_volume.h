#pragma once
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace pitbox::test {

// Another volume: a small ext4 image on a loop device, as a USB stick would be.
class LoopVolume {
public:
    explicit LoopVolume(const TempDir& dir, const std::string& size = "8M")
        : image_(dir / "volume.img"), mount_(dir.mkdirs("volume")) {
        if (::geteuid() != 0) return;
        const std::string make = "truncate -s " + size + " " + image_ + " && mkfs.ext4 -q -F -m 0 " + image_ +
                                 " 2>/dev/null && mount -o loop " + image_ + " " + mount_ + " 2>/dev/null";
        mounted_ = std::system(make.c_str()) == 0;
    }
    ~LoopVolume() {
        if (mounted_) ::umount2(mount_.c_str(), MNT_DETACH);
    }
    LoopVolume(const LoopVolume&) = delete;
    LoopVolume& operator=(const LoopVolume&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& path() const { return mount_; }

private:
    std::string image_, mount_;
    bool mounted_ = false;
};

// Fills a volume to its last block, large ones first.
inline void fillVolume(const std::string& top) {
    for (const char* block : {"4k", "1k"})
        std::system(("dd if=/dev/zero of=" + top + "fill" + block + " bs=" + block + " 2>/dev/null").c_str());
}

}  // namespace pitbox::test
