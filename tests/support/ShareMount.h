#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace stampwell::test {

// One office PC's mount of the shared folder: the test share (stampwell-sharefs, FUSE) of
// `source` at `mountPoint`, with its own device and inode numbers, counting the bytes read
// through it and hanging while Hang() is on. Unmounted when the object goes.
class CShareMount {
public:
    CShareMount(const std::filesystem::path& source, const std::filesystem::path& mountPoint);
    ~CShareMount();
    CShareMount(const CShareMount&) = delete;
    CShareMount& operator=(const CShareMount&) = delete;

    // Whether FUSE mounts can be made here (root, /dev/fuse, the program built); a test skips
    // itself otherwise, saying why.
    static std::string WhyNot();
    bool IsMounted() const { return m_mounted; }
    const std::filesystem::path& Path() const { return m_mountPoint; }
    // Bytes read through this mount so far.
    std::uint64_t BytesRead() const;
    // Every request waits (a stalled server) until Hang(false).
    void Hang(bool on) const;
    // Every request fails with ENOTCONN (the connection to the server dropped) until Drop(false).
    void Drop(bool on) const;

private:
    std::filesystem::path m_mountPoint;
    std::filesystem::path m_countFile;
    std::filesystem::path m_flag;
    std::filesystem::path m_dropFlag;
    bool m_mounted = false;
};

}  // namespace stampwell::test
