#include "platform/fs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform::fs {

namespace stdfs = std::filesystem;

std::int64_t fileSize(const std::string& path) {
    std::error_code ec;
    const auto size = stdfs::file_size(path, ec);
    if (ec) return -1;
    return static_cast<std::int64_t>(size);
}

bool remove(const std::string& path) {
    std::error_code ec;
    const bool removed = stdfs::remove(path, ec);
    return removed && !ec;
}

bool isFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return stdfs::is_regular_file(path, ec);
}

bool isDir(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return stdfs::is_directory(path, ec);
}

bool ensureDir(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    stdfs::create_directories(path, ec);
    if (ec) return false;
    return isDir(path);
}

std::vector<std::string> listDir(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    stdfs::directory_iterator it(path, ec);
    if (ec) return names;
    // Stepping with an error code: the range-for form would throw mid-listing.
    for (; !ec && it != stdfs::directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc) && !typeEc) names.push_back(it->path().filename().string());
    }
    if (ec) return {};
    std::sort(names.begin(), names.end());
    return names;
}

bool replaceAtomic(const std::string& from, const std::string& to) {
    std::error_code ec;
    stdfs::rename(from, to, ec);
    return !ec;
}

}  // namespace platform::fs
