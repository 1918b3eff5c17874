#include "support/ShareMount.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "support/TestSupport.h"

namespace stampwell::test {

namespace fs = std::filesystem;

namespace {
const char* ShareFsPath() {
#ifdef STAMPWELL_SHAREFS_PATH
    return STAMPWELL_SHAREFS_PATH;
#else
    return "";
#endif
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}
}  // namespace

std::string CShareMount::WhyNot() {
    if (std::string(ShareFsPath()).empty()) return "stampwell-sharefs was not built (no libfuse3)";
    if (::geteuid() != 0) return "FUSE mounts need root";
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return "no /dev/fuse";
    return {};
}

CShareMount::CShareMount(const fs::path& source, const fs::path& mountPoint)
    : m_mountPoint(mountPoint) {
    fs::create_directories(mountPoint);
    m_countFile = mountPoint.parent_path() / (mountPoint.filename().string() + ".read");
    m_flag = mountPoint.parent_path() / (mountPoint.filename().string() + ".hang");
    m_dropFlag = mountPoint.parent_path() / (mountPoint.filename().string() + ".drop");
    struct stat before {};
    ::stat(mountPoint.c_str(), &before);
    const std::string command = std::string(ShareFsPath()) + " " + Quoted(source) + " " +
                                Quoted(mountPoint) + " --count " + Quoted(m_countFile) +
                                " --block-flag " + Quoted(m_flag) + " --drop-flag " +
                                Quoted(m_dropFlag) + " -o auto_unmount";
    if (std::system(command.c_str()) != 0) return;
    // The daemon answers once the mount point's device changed.
    for (int i = 0; i < 200; ++i) {
        struct stat now {};
        if (::stat(mountPoint.c_str(), &now) == 0 && now.st_dev != before.st_dev) {
            m_mounted = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

CShareMount::~CShareMount() {
    Hang(false);
    Drop(false);
    if (!m_mounted) return;
    // A lazy unmount cannot be refused while the mount exists; a failure here only
    // leaves a stale mount point in a temporary folder.
    const int status =
        std::system(("fusermount3 -u -z " + Quoted(m_mountPoint) + " 2>/dev/null").c_str());
    static_cast<void>(status);
}

std::uint64_t CShareMount::BytesRead() const {
    std::ifstream in(m_countFile);
    std::uint64_t bytes = 0;
    in >> bytes;
    return bytes;
}

void CShareMount::Hang(bool on) const {
    if (on) {
        WriteBytes(m_flag, "");
    } else {
        std::error_code ignored;
        fs::remove(m_flag, ignored);
    }
}

}  // namespace stampwell::test

namespace stampwell::test {

void CShareMount::Drop(bool on) const {
    if (on) {
        WriteBytes(m_dropFlag, "");
    } else {
        std::error_code ignored;
        std::filesystem::remove(m_dropFlag, ignored);
    }
}

}  // namespace stampwell::test
