#pragma once
// Fill styles of task bars and the named pictures stored beside a document.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>
#include <utility>

namespace corvane {

class TQVTPictureResource;

class TQVTVisualGoodie : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Visual Goodie";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTPictureResource> FStartGlyph;
    std::shared_ptr<TQVTPictureResource> FEndGlyph;
};

class TQVTVisualGoodiePersistence : public TQVTPersistenceOf<TQVTVisualGoodie> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTResource : public TQVTGanttObject {
public:
    explicit TQVTResource(std::string name) : FName(std::move(name)) {}

    const std::string& getName() const { return FName; }

private:
    std::string FName;
};

/// Base of the loaders of resources.
class TQVTResourcePersistence : public TQVTPersistence {};

class TQVTPictureResource : public TQVTResource {
public:
    static constexpr const char* TypeID = "Picture Resource";

    using TQVTResource::TQVTResource;

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTPictureResourcePersistence : public TQVTPersistenceOf<TQVTPictureResource, TQVTResourcePersistence> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
