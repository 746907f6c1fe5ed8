#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// A program folder of its own for one test, removed afterwards.
class SkinTestFolder {
public:
    SkinTestFolder()
    {
        static int counter = 0;
        root_ = std::filesystem::temp_directory_path() /
                ("sleevit-skins-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    ~SkinTestFolder() { std::filesystem::remove_all(root_); }
    SkinTestFolder(const SkinTestFolder&) = delete;
    SkinTestFolder& operator=(const SkinTestFolder&) = delete;

    std::string Root() const { return root_.string(); }
    std::filesystem::path Skins() const { return root_ / "skins"; }

    // Writes skins/<folder>/<file> (the folder made as needed).
    void Write(const std::string& folder, const std::string& file, const std::string& bytes) const
    {
        std::filesystem::create_directories(Skins() / folder);
        std::ofstream(Skins() / folder / file, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path root_;
};
