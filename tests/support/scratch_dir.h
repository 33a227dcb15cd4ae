#pragma once

#include <filesystem>

namespace test_support {

// A fresh directory under the system's temporary directory, removed with everything in it when
// the object goes. `blanks` puts spaces in its name, as users' folders often have.
class ScratchDir {
public:
    explicit ScratchDir(bool blanks = false);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace test_support
