#include "library/folder_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "ui/text.h"

namespace pitbox {

bool isTrackFileName(std::string_view name) {
    return name.size() > 4 && ui::equalFolded(ui::extensionPart(name), "trk");
}

namespace {

struct Folder {
    std::string path;
    std::vector<std::string> subfolders;  // names, in listing order
    std::size_t next = 0;
    dev_t device = 0;
    ino_t inode = 0;
    int fd = -1;  // kept open while its subfolders are walked, to open them by name
};

// Lists one folder: reports its track files and fills in its subfolders.
// Returns false when the folder cannot be listed.
bool listFolder(int fd, Folder& folder,
                const std::function<void(std::string_view, std::string&&)>& onTrack) {
    // The listing gets its own descriptor; `fd` stays for opening the subfolders.
    const int listingFd = ::dup(fd);
    DIR* dir = listingFd < 0 ? nullptr : ::fdopendir(listingFd);
    if (!dir) {
        if (listingFd >= 0) ::close(listingFd);
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            isFolder = ::fstatat(::dirfd(dir), name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        const std::string_view nameView(name);
        if (isFolder) {
            folder.subfolders.emplace_back(nameView);
        } else if (isTrackFileName(nameView)) {
            std::string path;
            path.reserve(folder.path.size() + nameView.size());
            path += folder.path;
            path += nameView;
            onTrack(nameView, std::move(path));
        }
    }
    ::closedir(dir);
    return true;
}

}  // namespace

void walkTrackFolders(const std::string& root,
                      const std::function<void(std::string_view fileName, std::string&& path)>& onTrack) {
    std::vector<Folder> path;  // the folders whose subtrees are being walked
    auto enter = [&](std::string folderPath, const char* name) {
        const int fd = path.empty() ? ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                    : ::openat(path.back().fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            return;
        }
        for (const Folder& f : path)
            if (f.device == st.st_dev && f.inode == st.st_ino) {
                ::close(fd);
                return;
            }
        Folder folder;
        folder.path = std::move(folderPath);
        folder.device = st.st_dev;
        folder.inode = st.st_ino;
        folder.fd = fd;
        if (listFolder(fd, folder, onTrack)) path.push_back(std::move(folder));
        else ::close(fd);
    };
    enter(root, nullptr);
    while (!path.empty()) {
        Folder& top = path.back();
        if (top.next == top.subfolders.size()) {
            ::close(top.fd);
            path.pop_back();
            continue;
        }
        const std::string& name = top.subfolders[top.next++];
        std::string sub;
        sub.reserve(top.path.size() + name.size() + 1);
        sub += top.path;
        sub += name;
        sub += '/';
        enter(std::move(sub), name.c_str());
    }
}

}  // namespace pitbox
