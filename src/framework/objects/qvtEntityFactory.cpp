#include "corvane/framework/objects/qvtEntityFactory.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/platform/Dialogs.h"

#include <charconv>
#include <limits>

namespace corvane {

TQVTEntityFactory::~TQVTEntityFactory()
{
    Flush();
}

void TQVTEntityFactory::Flush()
{
    loadedObjects.clear();
    loadedIndex.clear();
}

void TQVTEntityFactory::setReferenceContext(std::string parentSection, std::string key, int index)
{
    pendingReference = ReferenceContext{std::move(parentSection), std::move(key), index};
}

void TQVTEntityFactory::report(TQVTReferenceEvent::Kind kind, const ReferenceContext& context,
                               const std::string& name, const std::string& typeID,
                               std::shared_ptr<TQVTGanttObject> object) const
{
    if (OnReference)
        OnReference(TQVTReferenceEvent{kind, context.parentSection, context.key, context.index, name, typeID,
                                       std::move(object)});
}

std::shared_ptr<TQVTGanttObject> TQVTEntityFactory::loadObject(const std::string& name, IQVTMedia& media,
                                                               TQVTGanttObject* parent)
{
    const ReferenceContext context = std::exchange(pendingReference, ReferenceContext{});
    const int index = getObjectIndex(name);
    if (index >= 0) {
        const auto& entry = loadedObjects[static_cast<std::size_t>(index)];
        if (!entry.object) {
            ShowMessage("Warning! Circular reference. Involved object: " + name);
            report(TQVTReferenceEvent::Circular, context, name);
            return nullptr;
        }
        report(TQVTReferenceEvent::Shared, context, name, {}, entry.object);
        return entry.object;
    }
    if (loadDepth >= MaxLoadDepth) {
        ShowMessage("Warning! Circular reference. Involved object: " + name);
        addlog("References nested deeper than " + std::to_string(MaxLoadDepth) + " levels are not followed: \"" +
               name + "\"");
        report(TQVTReferenceEvent::TooDeep, context, name);
        return nullptr;
    }
    ++loadDepth;
    std::shared_ptr<TQVTGanttObject> obj;
    try {
        obj = loadNew(name, media, parent, context);
    } catch (...) {
        --loadDepth;
        throw;
    }
    --loadDepth;
    return obj;
}

std::shared_ptr<TQVTGanttObject> TQVTEntityFactory::loadNew(const std::string& name, IQVTMedia& media,
                                                            TQVTGanttObject* parent,
                                                            const ReferenceContext& context)
{
    startLoading(name);
    reserveAutoIdentity(name);
    std::string typeID;
    media.getStrProperty(name, "typeID", "MISSING", typeID);
    report(TQVTReferenceEvent::Enter, context, name, typeID);
    std::unique_ptr<TQVTPersistence> persistence = createPersistence(typeID);
    if (!persistence) {
        ShowMessage("Warning: Unknown type id" + typeID);
        ShowMessage("Error loading " + name);
        report(TQVTReferenceEvent::Leave, context, name, typeID);
        return nullptr;
    }
    std::shared_ptr<TQVTGanttObject> obj = TQVTPersistence::load(std::move(persistence), name, media, *this);
    if (obj) {
        obj->setParent(parent);
        objectLoaded(name, obj);
    }
    report(TQVTReferenceEvent::Leave, context, name, typeID, obj);
    return obj;
}

TQVTObjectList TQVTEntityFactory::loadObjectList(const std::string& section, const std::string& key,
                                                 IQVTMedia& media, TQVTGanttObject* parent)
{
    std::vector<std::string> names;
    media.getStrArrayProperty(section, key, names);
    TQVTObjectList list;
    list.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        setReferenceContext(section, key, static_cast<int>(i));
        list.push_back(loadObject(names[i], media, parent));
    }
    return list;
}

void TQVTEntityFactory::saveObject(const std::string& name, IQVTMedia& media, TQVTGanttObject* obj)
{
    if (!obj)
        return;
    // A run-time graph may hold a cycle or a very deep chain; neither may hang or overflow a save.
    if (saving.contains(obj))
        return;
    if (saveDepth >= MaxLoadDepth) {
        addlog("Objects nested deeper than " + std::to_string(MaxLoadDepth) + " levels are not saved: \"" + name +
               "\"");
        return;
    }
    saving.insert(obj);
    ++saveDepth;
    try {
        obj->doSave(name, media, *this);
    } catch (...) {
        --saveDepth;
        saving.erase(obj);
        throw;
    }
    --saveDepth;
    saving.erase(obj);
}

void TQVTEntityFactory::saveObjectList(const std::string& section, const std::string& key, IQVTMedia& media,
                                       const TQVTObjectList& list)
{
    std::vector<std::string> names;
    names.reserve(list.size());
    for (const auto& obj : list)
        names.push_back(obj ? obj->getUID() : std::string());
    media.setStrArrayProperty(section, key, names);
    for (std::size_t i = 0; i < list.size(); ++i)
        saveObject(names[i], media, list[i].get());
}

void TQVTEntityFactory::saveChild(const std::string& section, const std::string& key, TQVTGanttObject* child,
                                  IQVTMedia& media)
{
    if (!child)
        return;
    const std::string uid = child->getUID();
    media.setStrProperty(section, key, uid);
    saveObject(uid, media, child);
}

std::unique_ptr<TQVTPersistence> TQVTEntityFactory::createPersistence(const std::string& typeID) const
{
    static const auto byTypeID = [] {
        std::unordered_map<std::string, std::unique_ptr<TQVTPersistence> (*)()> map;
        for (const TQVTEntityType& type : QVTEntityTypes())
            map.emplace(type.typeID, type.create);
        return map;
    }();
    const auto it = byTypeID.find(typeID);
    return it == byTypeID.end() ? nullptr : it->second();
}

std::shared_ptr<TQVTGanttObject> TQVTEntityFactory::getLoadedObject(const std::string& name) const
{
    const int index = getObjectIndex(name);
    return index < 0 ? nullptr : loadedObjects[static_cast<std::size_t>(index)].object;
}

int TQVTEntityFactory::getObjectIndex(const std::string& name) const
{
    const auto it = loadedIndex.find(name);
    return it == loadedIndex.end() ? -1 : static_cast<int>(it->second);
}

void TQVTEntityFactory::objectLoaded(const std::string& name, std::shared_ptr<TQVTGanttObject> obj)
{
    const int index = getObjectIndex(name);
    if (index >= 0) {
        loadedObjects[static_cast<std::size_t>(index)].object = std::move(obj);
        return;
    }
    loadedIndex.emplace(name, loadedObjects.size());
    loadedObjects.push_back(LoadedEntry{name, std::move(obj)});
}

void TQVTEntityFactory::startLoading(const std::string& name)
{
    loadedIndex.emplace(name, loadedObjects.size());
    loadedObjects.push_back(LoadedEntry{name, nullptr});
    updateAutoId(name);
}

bool TQVTEntityFactory::stillLoading(const std::string& name) const
{
    const int index = getObjectIndex(name);
    return index >= 0 && !loadedObjects[static_cast<std::size_t>(index)].object;
}

void TQVTEntityFactory::updateAutoId(const std::string& name)
{
    const auto hash = name.find('#');
    if (hash == std::string::npos)
        return;
    // A suffix that is not a 32-bit decimal integer simply is no auto-ID.
    const char* first = name.data() + hash + 1;
    const char* last = name.data() + name.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last)
        return;
    // maxAutoID is the next number to hand out, so a loaded "x#5" is never handed out again.
    if (value >= maxAutoID && value < std::numeric_limits<int>::max())
        maxAutoID = value + 1;
}

std::string TQVTEntityFactory::getAutoId(const std::string& prefix)
{
    std::string id = prefix + "#" + std::to_string(maxAutoID);
    if (maxAutoID < std::numeric_limits<int>::max())
        ++maxAutoID;
    return id;
}

} // namespace corvane
