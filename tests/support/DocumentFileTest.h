#pragma once
// A fixture that loads objects from document files it writes and saves objects into new ones.

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace corvane::test {

class DocumentFileTest : public ::testing::Test {
protected:
    // Loads section from a fresh document file holding ini.
    std::shared_ptr<TQVTGanttObject> loadFrom(const std::string& ini, const std::string& section = "root")
    {
        const auto path = dir.file("in" + std::to_string(files++) + ".ini");
        writeFile(path, ini);
        return loadFile(path, section);
    }

    std::shared_ptr<TQVTGanttObject> loadFile(const std::string& path, const std::string& section = "root")
    {
        auto media = TQVTMediaFactory::CreateMedia("file://" + path);
        TQVTEntityFactory factory;
        return factory.loadObject(section, *media, nullptr);
    }

    // Saves obj as "root" of a fresh file and answers the file's path.
    std::string saveToFile(const std::shared_ptr<TQVTGanttObject>& obj)
    {
        const auto path = dir.file("out" + std::to_string(files++) + ".ini");
        auto media = TQVTMediaFactory::CreateMedia("file://" + path);
        TQVTEntityFactory factory;
        factory.saveObject("root", *media, obj.get());
        media->flush();
        return path;
    }

    ScratchDir dir;
    Capture capture;

private:
    int files = 0;
};

} // namespace corvane::test
