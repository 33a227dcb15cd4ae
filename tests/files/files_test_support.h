#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/image_store.h"
#include "case_name.h"
#include "child_process.h"
#include "fake_main_window.h"
#include "files/image_file_paths.h"
#include "scratch_dir.h"

// `count` bytes 0x80, 0x81, ... wrapping at 256: high values and every position show.
std::string CountingBytes(std::size_t count);

// Fresh images and start-up flags for every case, and a main window whose start-up directory is
// the case's own; both it and the data directory have blanks in their names, as users' do.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { ReleaseImages(); }

    // The window's events so far joined by '|', the name and byte-count texts as N= and B=, the
    // file dialogs with their filters as "open" and "save dialog", the conversion notice opening
    // and closing as "[" and "]". Checks that every box shown was an error box with an OK button.
    std::string Events() const;
    // The FileImage entries in use, as bytes.
    std::string LoadedImage() const;
    std::filesystem::path Converter() const { return startup.path() / kConverterFileName; }

    test_support::ScratchDir startup{true};
    test_support::ScratchDir data{true};
    FakeMainWindow window;
};
