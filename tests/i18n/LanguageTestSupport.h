#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "i18n/TranslatableWindow.h"

// A folder of its own for one test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        static std::atomic<int> serial{0};
        path_ = std::filesystem::temp_directory_path() /
                ("sleevit-i18n-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Folder() const { return path_.string(); }

    // Writes a file's bytes exactly as given.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    std::filesystem::path path_;
};

// A window whose controls are a map from id to text.
class FakeWindow final : public CTranslatableWindow {
public:
    std::string ControlText(int controlId) const override
    {
        const auto it = controls.find(controlId);
        return it == controls.end() ? std::string() : it->second;
    }
    void SetControlText(int controlId, const std::string& text) override
    {
        controls[controlId] = text;
        ++writes;
    }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override { caption = text; }

    std::map<int, std::string> controls;
    std::string caption;
    int writes = 0;
};
