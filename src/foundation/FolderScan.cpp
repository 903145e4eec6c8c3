#include "foundation/FolderScan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "foundation/Paths.h"

namespace fs = std::filesystem;

namespace {

struct SCAN_ENTRY {
    std::string name;
    bool isFolder = false;
};

struct SCAN_OPTIONS {
    bool folders;
    bool files;
    const char* extension;
};

// Folders that are folders in their own right (links to folders are left
// out) and regular files, followed through links.
bool ClassifyEntry(const fs::directory_entry& entry, SCAN_ENTRY& result) {
    std::error_code error;
    const fs::file_status own = entry.symlink_status(error);
    if (error) {
        return false;
    }
    if (fs::is_directory(own)) {
        result.isFolder = true;
        return true;
    }
    if (fs::is_symlink(own)) {
        const fs::file_status target = entry.status(error);
        return !error && fs::is_regular_file(target);
    }
    return fs::is_regular_file(own);
}

// The folders and files of path, sorted by name; false if it cannot be listed.
bool ListFolder(const std::string& path, std::vector<SCAN_ENTRY>& entries) {
    std::error_code error;
    fs::directory_iterator it(path, error);
    if (error) {
        return false;
    }
    for (const fs::directory_iterator end; it != end;) {
        SCAN_ENTRY entry;
        entry.name = it->path().filename().string();
        if (entry.name != "." && entry.name != ".." && ClassifyEntry(*it, entry)) {
            entries.push_back(std::move(entry));
        }
        if (it.increment(error); error) {
            return false;
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const SCAN_ENTRY& a, const SCAN_ENTRY& b) { return a.name < b.name; });
    return true;
}

bool EqualNoCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

// The part of name after its first "." equals extension.
bool MatchesExtension(const std::string& name, const char* extension) {
    const size_t dot = name.find('.');
    return extension != nullptr && dot != std::string::npos &&
           EqualNoCase(name.c_str() + dot + 1, extension);
}

// Appends a child for path to node; null when memory runs out. A path that
// cannot be split is skipped (outIgnored set).
CTree<FILE_INFO>* AddChild(CTree<FILE_INFO>& node, const std::string& path, bool isFile,
                           bool& outIgnored) {
    CTree<FILE_INFO> child;
    outIgnored = !SplitPath(path.c_str(), child.data);
    if (outIgnored) {
        return nullptr;
    }
    child.data.isFile = isFile ? 1 : 0;
    child.level = node.level + 1;
    int index = 0;
    return node.children.Add(child, &index) ? node.children.GetAt(index) : nullptr;
}

bool AddEntries(const std::string& folder, const std::vector<SCAN_ENTRY>& entries,
                CTree<FILE_INFO>& node, const SCAN_OPTIONS& options) {
    for (const SCAN_ENTRY& entry : entries) {
        const bool wanted = entry.isFolder
                                ? options.folders
                                : options.files && MatchesExtension(entry.name, options.extension);
        if (!wanted) {
            continue;
        }
        const std::string path = folder + "/" + entry.name;
        bool ignored = false;
        CTree<FILE_INFO>* child = AddChild(node, path, !entry.isFolder, ignored);
        if (child == nullptr) {
            if (ignored) {
                continue;
            }
            return false;
        }
        // The child stays where it is while its own list is filled: only
        // growth of node's list would move it.
        std::vector<SCAN_ENTRY> inner;
        if (entry.isFolder && ListFolder(path, inner) &&
            !AddEntries(path, inner, *child, options)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ScanFolder(const char* folder, CTree<FILE_INFO>& tree, bool folders, bool files,
                const char* extension) {
    if (folder == nullptr || *folder == '\0') {
        return false;
    }
    try {
        std::string root(folder);
        while (root.size() > 0 && (root.back() == '/' || root.back() == '\\')) {
            root.pop_back();
        }
        std::vector<SCAN_ENTRY> entries;
        if (!ListFolder(root.empty() ? std::string("/") : root, entries)) {
            return false;
        }
        return AddEntries(root, entries, tree, {folders, files, extension});
    } catch (const std::bad_alloc&) {
        return false;
    }
}
