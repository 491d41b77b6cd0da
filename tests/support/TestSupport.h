#pragma once
// Helpers shared by the tests: scratch folders, files, captured messages and log lines.

#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/platform/Dialogs.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvane::test {

// A fresh folder below the build tree, removed with the object.
class ScratchDir {
public:
    ScratchDir()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::path(CORVANE_BINARY_DIR) / "scratch" /
                (std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes a data source's document saves to, each save in a file of its own.
class DocumentSaver {
public:
    std::string operator()(TQVTDataSource& source)
    {
        const std::string path = dir.file("saved" + std::to_string(saves++) + ".ini");
        source.SaveToMedia("file://" + path);
        return readFile(path);
    }

private:
    ScratchDir dir;
    int saves = 0;
};

// Captures message boxes and diagnostic-log lines while it lives.
class Capture {
public:
    Capture()
    {
        SetShowMessageHandler([this](const std::string& text) { messages.push_back(text); });
        SetLogObserver([this](const std::string& line) { log.push_back(line); });
    }
    ~Capture()
    {
        SetShowMessageHandler(nullptr);
        SetLogObserver(nullptr);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    std::vector<std::string> messages;
    std::vector<std::string> log;
};

} // namespace corvane::test
