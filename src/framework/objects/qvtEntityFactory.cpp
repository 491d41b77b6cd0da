#include "corvane/framework/objects/qvtEntityFactory.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/platform/Dialogs.h"
#include "corvane/platform/LargeMemory_p.h"
#include "corvane/platform/NameIndex_p.h"
#include "corvane/platform/ObjectArena_p.h"
#include "corvane/platform/ScopeGuard_p.h"
#include "corvane/platform/VectorState_p.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <charconv>
#include <limits>
#include <unordered_map>

namespace corvane {

namespace {

// Every top-level save in the process marks the objects it writes with a mark of its own.
std::atomic<std::uint64_t> lastSaveMark{0};

} // namespace

// Reserved for the sections of the store at the start of a load: a million sections make a
// list too large to grow by copying, and too large to take from the heap 4 KiB page by page.
struct TQVTEntityFactory::LoadedList : std::vector<LoadedEntry, TLargeAllocator<LoadedEntry>> {
    // While a top-level load fills a large reserved list, its pages are faulted in on another
    // core a little ahead of the entries.
    std::unique_ptr<TPrefaulter> prefaulter;
    std::size_t prefaultMark = NoMark; // the entry whose addition asks for more pages

    static constexpr std::size_t NoMark = std::numeric_limits<std::size_t>::max();
    // Fresh blocks this large come from the system; smaller ones may be heap pages in use.
    static constexpr std::size_t PrefaultedFrom = 4 * 1024 * 1024;
    // As far ahead of the entries as the object arena, for the same reason: a load that ends
    // early leaves no more than that faulted in and unused.
    static constexpr std::size_t Lead = 4 * 1024 * 1024 / sizeof(LoadedEntry);
    static constexpr std::size_t Step = 1024 * 1024 / sizeof(LoadedEntry);

    void startPrefaulting()
    {
        if (empty() && capacity() * sizeof(LoadedEntry) >= PrefaultedFrom) {
            prefaulter = std::make_unique<TPrefaulter>();
            prefaultMark = 0;
        }
    }
    void stopPrefaulting() noexcept
    {
        prefaulter.reset();
        prefaultMark = NoMark;
    }
    // Before the entry at size() is added.
    void prefaultAhead()
    {
        // Growing frees the block, which the prefaulter must be done with.
        if (size() == capacity()) {
            stopPrefaulting();
            return;
        }
        auto* const begin = reinterpret_cast<char*>(data());
        prefaulter->Request(begin, begin + std::min(capacity(), size() + Lead) * sizeof(LoadedEntry));
        prefaultMark = std::min(capacity(), size() + Step);
    }
};

// The store finds a section a loader reads anyway, so a lookup by its position costs no search
// of a name index of the factory's own, nor its memory (a million sections of a plan).
struct TQVTEntityFactory::PositionMap {
    std::uint64_t space = 0; // of the positions below; 0 while there are none
    bool off = false;        // entries go by name only, until Flush
    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> entries; // per position: 1 + entry, 0 for none
    std::array<SharedSlot, 64> shared{}; // sections shared lately, by hash of their names
};

TQVTEntityFactory::TQVTEntityFactory()
    : loadedObjects(std::make_unique<LoadedList>()),
      positions(std::make_unique<PositionMap>()),
      loadedIndex(std::make_unique<TNameIndex>()),
      referenceBuffers(MaxLoadDepth + 1)
{
}

TQVTEntityFactory::~TQVTEntityFactory()
{
    Flush();
}

void TQVTEntityFactory::Flush()
{
    // Swapped out rather than cleared, so that its room goes too.
    loadedObjects->stopPrefaulting();
    LoadedList().swap(*loadedObjects);
    *positions = PositionMap();
    loadedIndex->Clear();
    // The objects made so far keep their arena; the next document gets one of its own.
    arena.reset();
}

void TQVTEntityFactory::ArenaRelease::operator()(TObjectArena* arena) const noexcept
{
    arena->Release();
}

TObjectArena& TQVTEntityFactory::loadArena()
{
    if (!arena)
        arena.reset(TObjectArena::Create());
    return *arena;
}

std::string& TQVTEntityFactory::referenceBuffer()
{
    return referenceBuffers[static_cast<std::size_t>(loadDepth)];
}

void TQVTEntityFactory::setReferenceContext(std::string_view parentSection, std::string_view key, int index)
{
    // Field by field, and read back only for somebody listening: views written in halves and
    // read back whole cannot be forwarded from the pending stores, a stall on every reference.
    pendingReference.parentSection = parentSection;
    pendingReference.key = key;
    pendingReference.index = index;
}

void TQVTEntityFactory::report(TQVTReferenceEvent::Kind kind, const ReferenceContext& context, const std::string& name,
                               const std::string& typeID, const std::shared_ptr<TQVTGanttObject>& object) const
{
    if (OnReference)
        OnReference(TQVTReferenceEvent{kind, std::string(context.parentSection), std::string(context.key),
                                       context.index, name, typeID, object});
}

std::shared_ptr<TQVTGanttObject> TQVTEntityFactory::loadObject(const std::string& name, IQVTMedia& media,
                                                               TQVTGanttObject* parent)
{
    const ReferenceContext context = OnReference ? pendingReference : ReferenceContext{};
    pendingReference = ReferenceContext{};
    const bool topLevel = loadDepth == 0;
    // The pages of the objects are faulted in on another core while the load fills them.
    const ScopeGuard stopPrefaulting([this, topLevel] {
        if (!topLevel)
            return;
        if (arena)
            arena->StopPrefaulting();
        loadedObjects->stopPrefaulting();
    });
    if (topLevel) {
        loadArena().StartPrefaulting();
        clearUpperVectorHalves();
        // A later top-level load without Flush grows the list by doubling instead.
        if (loadedObjects->empty()) {
            loadedObjects->reserve(media.sectionCount());
            loadedObjects->startPrefaulting();
        }
    }
    // Settings sections are shared by thousands of objects each; they are found here without
    // asking the store.
    const std::uint32_t hash = hashNoCase(name);
    SharedSlot& shared = positions->shared[hash % positions->shared.size()];
    const bool sharedAgain =
        shared.entry != 0 && shared.hash == hash && equalNoCase((*loadedObjects)[shared.entry - 1].name(), name);
    std::size_t position = TQVTSectionPosition::None;
    std::size_t index = sharedAgain ? shared.entry - 1 : TNameIndex::NotFound;
    if (!sharedAgain) {
        position = positionOf(name, media);
        if (topLevel && position == TQVTSectionPosition::None)
            // Growing the index by rehashing would touch every entry again a few times.
            loadedIndex->Reserve(loadedIndex->Size() + media.sectionCount());
        index = findLoaded(name, position);
    }
    if (index != TNameIndex::NotFound) {
        shared = SharedSlot{hash, static_cast<std::uint32_t>(index + 1)};
        // Read before any callback runs: a callback that loads may grow the list. The object is
        // copied once: every copy of a shared pointer is an atomic step, and these are millions.
        const LoadedEntry& entry = (*loadedObjects)[index];
        const int height = entry.height;
        if (!entry.object) {
            ShowMessage("Warning! Circular reference. Involved object: " + name);
            report(TQVTReferenceEvent::Circular, context, name);
            return nullptr;
        }
        // Sharing a deep structure below a deep reference would nest ownership past the cap,
        // and freeing it would then recurse without limit.
        if (loadDepth + height > MaxLoadDepth) {
            refuseTooDeep(name, context);
            return nullptr;
        }
        std::shared_ptr<TQVTGanttObject> object = entry.object;
        noteChildHeight(height);
        report(TQVTReferenceEvent::Shared, context, name, {}, object);
        return object;
    }
    if (loadDepth >= MaxLoadDepth) {
        refuseTooDeep(name, context);
        return nullptr;
    }
    ++loadDepth;
    childHeights.push_back(0);
    const ScopeGuard leave([this] {
        --loadDepth;
        childHeights.pop_back();
    });
    return loadNew(name, position, media, parent, context);
}

void TQVTEntityFactory::refuseTooDeep(const std::string& name, const ReferenceContext& context) const
{
    ShowMessage("Warning! Circular reference. Involved object: " + name);
    addlog("References nested deeper than " + std::to_string(MaxLoadDepth) + " levels are not followed: \"" + name +
           "\"");
    report(TQVTReferenceEvent::TooDeep, context, name);
}

void TQVTEntityFactory::noteChildHeight(int height)
{
    if (!childHeights.empty())
        childHeights.back() = std::max(childHeights.back(), height);
}

void TQVTEntityFactory::recordHeight(std::size_t index)
{
    // The last frame belongs to the section that has just loaded, the one before to its parent.
    assert(!childHeights.empty());
    const int height = childHeights.back() + 1;
    (*loadedObjects)[index].height = height;
    if (childHeights.size() > 1) {
        int& parentHeight = childHeights[childHeights.size() - 2];
        parentHeight = std::max(parentHeight, height);
    }
}

std::shared_ptr<TQVTGanttObject> TQVTEntityFactory::loadNew(const std::string& name, std::size_t position,
                                                            IQVTMedia& media, TQVTGanttObject* parent,
                                                            const ReferenceContext& context)
{
    const std::size_t index = addLoading(name, position);
    reserveAutoIdentity(name);
    static const std::string TypeIDKey = "typeID";
    media.getStrProperty(name, TypeIDKey, "MISSING", typeIDBuffer);
    const int type = typeIndex(typeIDBuffer);
    std::unique_ptr<TQVTPersistence> persistence = type < 0 ? nullptr : QVTEntityTypes()[type].create();
    // Loads below, and callbacks that load, reuse the buffer: messages and reports keep a copy.
    const std::string typeID = OnReference || !persistence ? typeIDBuffer : std::string();
    report(TQVTReferenceEvent::Enter, context, name, typeID);
    if (!persistence) {
        ShowMessage("Warning: Unknown type id" + typeID);
        ShowMessage("Error loading " + name);
        report(TQVTReferenceEvent::Leave, context, name, typeID);
        return nullptr;
    }
    // Loaders may call into Qt, which can return with the upper vector halves in use; that
    // would slow every load after it by half.
    clearUpperVectorHalves();
    char* const stored = (*loadedObjects)[index].nameData;
    stored[-1] = static_cast<char>(type);
    // A name with a zero byte in it cannot be kept as a zero-terminated one.
    const bool keepName = name.find('\0') == std::string::npos;
    std::shared_ptr<TQVTGanttObject> obj =
        TQVTPersistence::load(std::move(persistence), name, media, *this, keepName ? stored : nullptr);
    clearUpperVectorHalves();
    if (obj) {
        obj->setParent(parent);
        (*loadedObjects)[index].object = obj;
        recordHeight(index);
    }
    report(TQVTReferenceEvent::Leave, context, name, typeID, obj);
    return obj;
}

TQVTObjectList TQVTEntityFactory::loadObjectList(const std::string& section, const std::string& key, IQVTMedia& media,
                                                 TQVTGanttObject* parent)
{
    std::vector<std::string> names;
    media.getStrArrayProperty(section, key, names);
    TQVTObjectList list;
    list.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        // Most names are new, so their search by name ends in a slot that memory has to deliver
        // first.
        if (i + 1 < names.size() && (positions->space == 0 || positions->off))
            loadedIndex->Prefetch(hashNoCase(names[i + 1]));
        setReferenceContext(section, key, static_cast<int>(i));
        list.push_back(loadObject(names[i], media, parent));
    }
    return list;
}

void TQVTEntityFactory::saveObject(const std::string& name, IQVTMedia& media, TQVTGanttObject* obj)
{
    if (!obj)
        return;
    // Within one top-level save every object is written once: a shared object is not written
    // again for every path that reaches it, and a cycle of a run-time graph ends here.
    if (saveDepth == 0) {
        clearUpperVectorHalves();
        saveMark = ++lastSaveMark;
    } else if (obj->FSaveMark == saveMark)
        return;
    if (saveDepth >= MaxLoadDepth) {
        addlog("Objects nested deeper than " + std::to_string(MaxLoadDepth) + " levels are not saved: \"" + name +
               "\"");
        return;
    }
    obj->FSaveMark = saveMark;
    ++saveDepth;
    const ScopeGuard leave([this] { --saveDepth; });
    obj->doSave(name, media, *this);
}

void TQVTEntityFactory::saveObjects(const std::string& section, const std::string& key, IQVTMedia& media,
                                    const std::vector<TQVTGanttObject*>& objects)
{
    std::vector<std::string> names;
    names.reserve(objects.size());
    for (const TQVTGanttObject* obj : objects)
        names.push_back(obj ? obj->getUID() : std::string());
    media.setStrArrayProperty(section, key, names);
    for (std::size_t i = 0; i < objects.size(); ++i)
        saveObject(names[i], media, objects[i]);
}

void TQVTEntityFactory::saveChild(const std::string& section, const std::string& key, TQVTGanttObject* child,
                                  IQVTMedia& media)
{
    if (!child) {
        // Saved over its own file, a reference removed since loading must not come back.
        media.deleteProperty(section, key);
        return;
    }
    const std::string uid = child->getUID();
    media.setStrProperty(section, key, uid);
    saveObject(uid, media, child);
}

std::unique_ptr<TQVTPersistence> TQVTEntityFactory::createPersistence(const std::string& typeID) const
{
    const int type = typeIndex(typeID);
    return type < 0 ? nullptr : QVTEntityTypes()[type].create();
}

// The position of typeID in QVTEntityTypes, -1 when it is none of them.
int TQVTEntityFactory::typeIndex(const std::string& typeID) const
{
    static const auto byTypeID = [] {
        std::unordered_map<std::string, int> map;
        const std::vector<TQVTEntityType>& types = QVTEntityTypes();
        assert(types.size() <= std::numeric_limits<unsigned char>::max()); // kept in a byte before loaded names
        for (std::size_t i = 0; i < types.size(); ++i)
            map.emplace(types[i].typeID, static_cast<int>(i));
        return map;
    }();
    const auto it = byTypeID.find(typeID);
    return it == byTypeID.end() ? -1 : it->second;
}

std::shared_ptr<TQVTGanttObject> TQVTEntityFactory::getLoadedObject(const std::string& name) const
{
    const std::size_t index = findLoaded(name);
    return index == TNameIndex::NotFound ? nullptr : (*loadedObjects)[index].object;
}

int TQVTEntityFactory::getObjectIndex(const std::string& name) const
{
    const std::size_t index = findLoaded(name);
    return index == TNameIndex::NotFound ? -1 : static_cast<int>(index);
}

namespace {

// Stores match names trimmed and on one line, while loaded sections are told apart by their
// names as they stand (" T" is not "T"): only names that a store keeps as they are can be
// found by the store's positions.
bool storedAsIs(std::string_view name)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    // A plain loop: find_first_of asks memchr once per character of the name.
    return !name.empty() && !blank(name.front()) && !blank(name.back()) &&
           std::none_of(name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; });
}

} // namespace

// Where media keeps the section name, if loaded entries can be found by it; None otherwise.
std::size_t TQVTEntityFactory::positionOf(std::string_view name, IQVTMedia& media)
{
    if (positions->off || !storedAsIs(name))
        return TQVTSectionPosition::None;
    const TQVTSectionPosition found = media.sectionPosition(name);
    if (found.space == 0 || found.position == TQVTSectionPosition::None)
        return TQVTSectionPosition::None;
    if (found.space != positions->space) {
        if (positions->space != 0) {
            // Another store, or positions of the store that have changed: names only from now on.
            forgetPositions();
            return TQVTSectionPosition::None;
        }
        positions->space = found.space;
    }
    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>>& entries = positions->entries;
    if (found.position >= entries.size())
        entries.resize(std::max(found.position + 1, media.sectionCount()), 0);
    return found.position;
}

// Moves the entries found by position into the index of names, where lookups without a store
// find them too. Only the way entries are found changes, not what is found.
void TQVTEntityFactory::forgetPositions() const
{
    if (positions->off || positions->space == 0)
        return;
    positions->off = true;
    const std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> entries = std::move(positions->entries);
    positions->entries = {};
    const auto nameAt = [this](std::size_t i) { return (*loadedObjects)[i].name(); };
    for (const std::uint32_t entry : entries)
        if (entry != 0)
            loadedIndex->Insert(nameAt(entry - 1), entry - 1, nameAt);
}

// Stores match section names without regard to ASCII case, so the index of loaded sections
// does too. An entry is found by position or by name, never both, so both are asked.
std::size_t TQVTEntityFactory::findLoaded(std::string_view name, std::size_t position) const
{
    if (position != TQVTSectionPosition::None)
        if (const std::uint32_t entry = positions->entries[position])
            return entry - 1;
    if (loadedIndex->Size() == 0)
        return TNameIndex::NotFound;
    return loadedIndex->Find(name, [this](std::size_t i) { return (*loadedObjects)[i].name(); });
}

// Without a store, entries are found by name alone.
std::size_t TQVTEntityFactory::findLoaded(std::string_view name) const
{
    forgetPositions();
    return findLoaded(name, TQVTSectionPosition::None);
}

// Appends the entry of a section that starts loading, with its position in the store when it
// has one; answers the entry's index.
std::size_t TQVTEntityFactory::addLoading(const std::string& name, std::size_t position)
{
    const std::size_t index = loadedObjects->size();
    if (index >= loadedObjects->prefaultMark)
        loadedObjects->prefaultAhead();
    loadedObjects->push_back(LoadedEntry{storeName(name), static_cast<std::uint32_t>(name.size()), 1, nullptr});
    if (position != TQVTSectionPosition::None && !positions->off)
        positions->entries[position] = static_cast<std::uint32_t>(index + 1);
    else
        loadedIndex->Insert(name, index, [this](std::size_t i) { return (*loadedObjects)[i].name(); });
    updateAutoId(name);
    return index;
}

// The name in the arena, where a loaded object can keep it (see TQVTGanttObject::FLoadedName):
// after a byte for its type's position, which loadNew fills in, and ending in a zero byte.
char* TQVTEntityFactory::storeName(std::string_view name)
{
    char* const room = loadArena().AllocateText(name.size() + 2);
    room[0] = static_cast<char>(-1);
    std::copy(name.begin(), name.end(), room + 1);
    room[name.size() + 1] = '\0';
    return room + 1;
}

void TQVTEntityFactory::objectLoaded(const std::string& name, std::shared_ptr<TQVTGanttObject> obj)
{
    const std::size_t index = findLoaded(name);
    (*loadedObjects)[index == TNameIndex::NotFound ? addLoading(name, TQVTSectionPosition::None) : index].object =
        std::move(obj);
}

void TQVTEntityFactory::startLoading(const std::string& name)
{
    forgetPositions();
    addLoading(name, TQVTSectionPosition::None);
}

bool TQVTEntityFactory::stillLoading(const std::string& name) const
{
    const std::size_t index = findLoaded(name);
    return index != TNameIndex::NotFound && !(*loadedObjects)[index].object;
}

void TQVTEntityFactory::updateAutoId(const std::string& name)
{
    const auto hash = name.find('#');
    if (hash == std::string::npos)
        return;
    // A suffix that is not a decimal integer that fits 63 bits simply is no auto-ID.
    const char* first = name.data() + hash + 1;
    const char* last = name.data() + name.size();
    if (first != last && *first == '+')
        ++first;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last || value < 0)
        return;
    // nextAutoID is the next number to hand out, so a loaded "x#5" is never handed out again.
    // It cannot pass 2^63 through loading, and handing out 2^63 names more is out of reach.
    const auto next = static_cast<std::uint64_t>(value) + 1;
    if (next > nextAutoID)
        nextAutoID = next;
}

std::string TQVTEntityFactory::getAutoId(const std::string& prefix)
{
    if (nextAutoID == std::numeric_limits<std::uint64_t>::max())
        throw EInvalidOperation("No automatic identifiers are left");
    return prefix + "#" + std::to_string(nextAutoID++);
}

} // namespace corvane
