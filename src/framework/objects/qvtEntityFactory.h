#pragma once
// Turns sections of a store into live objects by their "typeID" and writes objects back.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class TNameIndex;
class TObjectArena;

using TQVTObjectList = std::vector<std::shared_ptr<TQVTGanttObject>>;

/// One row of the table of type identifiers.
struct TQVTEntityType {
    const char* typeID;
    std::unique_ptr<TQVTPersistence> (*create)();
};

/// The 62 type identifiers, in table order.
const std::vector<TQVTEntityType>& QVTEntityTypes();

/// What happened to one reference while loading; tools use it to show the graph.
struct TQVTReferenceEvent {
    enum Kind : std::uint8_t {
        Enter,    // a section starts loading (its children follow)
        Leave,    // the section that entered last has finished; object may be none
        Shared,   // the section was loaded before and is shared
        Circular, // the section is still loading or failed before
        Missing,  // the parent's reference key is absent
        TooDeep   // nesting deeper than the factory follows
    };
    Kind kind;
    std::string parentSection; // empty for a top-level load
    std::string key;           // the reference key; empty for a top-level load
    int index = -1;            // position in a reference list; -1 for a single reference
    std::string name;          // the referenced section
    std::string typeID;
    std::shared_ptr<TQVTGanttObject> object;
};

class TQVTEntityFactory {
public:
    /// Loads nested deeper than this are refused like circular references, so that a hostile
    /// chain of references cannot exhaust the stack.
    static constexpr int MaxLoadDepth = 256;

    TQVTEntityFactory();
    ~TQVTEntityFactory();
    TQVTEntityFactory(const TQVTEntityFactory&) = delete;
    TQVTEntityFactory& operator=(const TQVTEntityFactory&) = delete;

    void Flush();

    std::shared_ptr<TQVTGanttObject> loadObject(const std::string& name, IQVTMedia& media, TQVTGanttObject* parent);
    /// One entry per name of the string array key of section; failed names give empty entries.
    TQVTObjectList loadObjectList(const std::string& section, const std::string& key, IQVTMedia& media,
                                  TQVTGanttObject* parent);
    template <typename T>
    std::vector<std::shared_ptr<T>> loadObjectListAs(const std::string& section, const std::string& key,
                                                     IQVTMedia& media, TQVTGanttObject* parent)
    {
        TQVTObjectList list = loadObjectList(section, key, media, parent);
        std::vector<std::shared_ptr<T>> typed;
        typed.reserve(list.size());
        for (auto& obj : list)
            typed.push_back(std::dynamic_pointer_cast<T>(std::move(obj)));
        return typed;
    }

    void saveObject(const std::string& name, IQVTMedia& media, TQVTGanttObject* obj);
    template <typename T>
    void saveObjectList(const std::string& section, const std::string& key, IQVTMedia& media,
                        const std::vector<std::shared_ptr<T>>& list)
    {
        // Plain pointers: copying the shared ones would be two atomic steps per object.
        std::vector<TQVTGanttObject*> objects;
        objects.reserve(list.size());
        for (const auto& object : list)
            objects.push_back(object.get());
        saveObjects(section, key, media, objects);
    }
    /// Writes key = the child's identifier into section, then the child into its own section;
    /// nothing when child is none.
    void saveChild(const std::string& section, const std::string& key, TQVTGanttObject* child, IQVTMedia& media);

    std::unique_ptr<TQVTPersistence> createPersistence(const std::string& typeID) const;

    std::shared_ptr<TQVTGanttObject> getLoadedObject(const std::string& name) const;
    int getObjectIndex(const std::string& name) const;
    void objectLoaded(const std::string& name, std::shared_ptr<TQVTGanttObject> obj);
    void startLoading(const std::string& name);
    bool stillLoading(const std::string& name) const;
    void updateAutoId(const std::string& name);
    std::string getAutoId(const std::string& prefix);

    /// Set by loadChild and loadObjectList just before they load: which reference is followed.
    /// The texts are not copied: they must live until the next loadObject returns.
    void setReferenceContext(std::string_view parentSection, std::string_view key, int index);
    /// A string for the section name that a loader at the present depth of loading reads before
    /// it loads that section; it keeps its room from one load to the next.
    std::string& referenceBuffer();

    /// Where loaders put the objects they make, close to the others of the same load; it lives
    /// as long as the factory until Flush, and after that as long as any object made in it.
    TObjectArena& loadArena();

    std::function<void(const TQVTReferenceEvent&)> OnReference;

private:
    // 32 bytes: a plan of a million sections keeps as many entries.
    struct LoadedEntry {
        char* nameData = nullptr; // in the arena (storeName)
        std::uint32_t nameLength = 0;
        int height = 1; // levels of references below and including the section
        std::shared_ptr<TQVTGanttObject> object;

        std::string_view name() const { return {nameData, nameLength}; }
    };
    struct ReferenceContext {
        std::string_view parentSection;
        std::string_view key;
        int index = -1;
    };

    void saveObjects(const std::string& section, const std::string& key, IQVTMedia& media,
                     const std::vector<TQVTGanttObject*>& objects);
    void report(TQVTReferenceEvent::Kind kind, const ReferenceContext& context, const std::string& name,
                const std::string& typeID = {}, const std::shared_ptr<TQVTGanttObject>& object = nullptr) const;
    std::shared_ptr<TQVTGanttObject> loadNew(const std::string& name, std::size_t position, IQVTMedia& media,
                                             TQVTGanttObject* parent, const ReferenceContext& context);
    void refuseTooDeep(const std::string& name, const ReferenceContext& context) const;
    void noteChildHeight(int height);
    void recordHeight(std::size_t index);
    std::size_t positionOf(std::string_view name, IQVTMedia& media);
    void forgetPositions() const;
    std::size_t findLoaded(std::string_view name, std::size_t position) const;
    std::size_t findLoaded(std::string_view name) const;
    std::size_t addLoading(const std::string& name, std::size_t position);
    char* storeName(std::string_view name);
    int typeIndex(const std::string& typeID) const;

    std::uint64_t nextAutoID = 0;
    /// The objects are recorded, and kept alive, until Flush.
    struct LoadedList;
    std::unique_ptr<LoadedList> loadedObjects;
    /// Entries are found by their sections' positions in the store they were loaded from where
    /// it keeps positions, and by their names otherwise.
    struct SharedSlot {
        std::uint32_t hash = 0;
        std::uint32_t entry = 0; // 1 + its index in the list; 0 for none
    };
    struct PositionMap;
    std::unique_ptr<PositionMap> positions;
    std::unique_ptr<TNameIndex> loadedIndex; // names without regard to ASCII case -> first entry
    struct ArenaRelease {
        void operator()(TObjectArena* arena) const noexcept;
    };
    std::unique_ptr<TObjectArena, ArenaRelease> arena;
    std::string typeIDBuffer;                  // of the section starting to load
    std::vector<std::string> referenceBuffers; // one per depth of loading
    ReferenceContext pendingReference;
    int loadDepth = 0;
    std::vector<int> childHeights; // per section still loading: the greatest height below it so far
    std::uint64_t saveMark = 0;    // marks the objects written in the current top-level save
    int saveDepth = 0;

    friend class TQVTPersistence;
};

} // namespace corvane
