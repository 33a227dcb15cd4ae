#include "scratch_dir.h"

#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace test_support {

ScratchDir::ScratchDir(bool blanks) {
    std::random_device entropy;
    const std::filesystem::path root = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name =
            std::string(blanks ? "hex bin test " : "hexbin-test-") + std::to_string(entropy());
        std::error_code error;
        if (std::filesystem::create_directory(root / name, error)) {
            path_ = root / name;
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch directory in " + root.string());
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace test_support
