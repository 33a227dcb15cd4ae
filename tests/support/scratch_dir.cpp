#include "scratch_dir.h"

#include <random>
#include <stdexcept>
#include <string>

namespace test_support {

ScratchDir::ScratchDir(bool blanks)
    : path_(std::filesystem::temp_directory_path() /
            (std::string(blanks ? "hex bin test " : "hexbin-test-") +
             std::to_string(std::random_device()()))) {
    if (!std::filesystem::create_directory(path_)) {
        throw std::runtime_error(path_.string() + " already exists");
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace test_support
