#include "corvane/framework/objects/qvtGanttObject.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/platform/ObjectArena_p.h"

#include <atomic>
#include <charconv>
#include <limits>
#include <typeindex>

namespace corvane {

namespace {

constexpr std::string_view AutoIdPrefix = "AutoID:";

std::atomic<std::int64_t>& nextIdentity()
{
    static std::atomic<std::int64_t> next{1};
    return next;
}

// Changes whenever any object changes its parent, which invalidates every cached document.
std::uint64_t parentGeneration = 1;

} // namespace

void reserveAutoIdentity(const std::string& uid)
{
    if (uid.compare(0, AutoIdPrefix.size(), AutoIdPrefix) != 0)
        return;
    std::int64_t value = 0;
    const char* first = uid.data() + AutoIdPrefix.size();
    const char* last = uid.data() + uid.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || value == std::numeric_limits<std::int64_t>::max())
        return;
    auto& next = nextIdentity();
    std::int64_t current = next.load();
    while (current <= value && !next.compare_exchange_weak(current, value + 1)) {
    }
}

TQVTGanttObject::TQVTGanttObject() : TComponent(nullptr) {}

TQVTGanttObject::~TQVTGanttObject() = default;

TQVTDrawer* TQVTGanttObject::getDrawer(TQVTViewType viewType) const
{
    if (viewType == vtPertGraph) {
        if (!FDrawerPert)
            FDrawerPert = makePertViewDrawer();
        if (FDrawerPert)
            return FDrawerPert.get();
    }
    if (!FDrawer)
        FDrawer = makeDrawer();
    return FDrawer.get();
}

std::unique_ptr<TQVTDrawer> TQVTGanttObject::makeDrawer() const
{
    return nullptr;
}

std::unique_ptr<TQVTDrawer> TQVTGanttObject::makePertViewDrawer() const
{
    return nullptr;
}

TQVTPersistence* TQVTGanttObject::getPersistence() const
{
    if (!persistence && FLoadedName) {
        persistence = QVTEntityTypes()[static_cast<unsigned char>(FLoadedName[-1])].create();
        persistence->ID = FLoadedName;
    }
    return persistence.get();
}

void TQVTGanttObject::doSave(const std::string&, IQVTMedia&, TQVTEntityFactory&) {}

std::unique_ptr<TQVTObjectEditorIntf> TQVTGanttObject::CreateEditor()
{
    if (const TQVTEditorClass editorClass = EditorsRegistry().FindEditor(std::type_index(typeid(*this))))
        return editorClass();
    return DefaultEditor();
}

std::unique_ptr<TQVTObjectEditorIntf> TQVTGanttObject::DefaultEditor()
{
    return std::make_unique<TQVTDummyEditor>();
}

void TQVTGanttObject::GetPublishedProperties(TQVTPublishedProperties&) {}

void TQVTGanttObject::setParent(TQVTGanttObject* parent)
{
    // A cycle of parents would make every walk to the document endless.
    for (const TQVTGanttObject* ancestor = parent; ancestor; ancestor = ancestor->getParent())
        if (ancestor == this)
            throw EInvalidOperation("An object cannot become its own ancestor");
    FParent = parent ? parent->weak_from_this() : std::weak_ptr<TQVTGanttObject>();
    ++parentGeneration;
}

TQVTDocumentSetup* TQVTGanttObject::GetDocumentSetup()
{
    if (FRootGeneration == parentGeneration)
        if (const auto root = FRoot.lock())
            return static_cast<TQVTDocumentSetup*>(root.get());
    TQVTGanttObject* top = this;
    while (TQVTGanttObject* parent = top->getParent())
        top = parent;
    auto* document = dynamic_cast<TQVTDocumentSetup*>(top);
    if (!document)
        throw EInvalidCast("Invalid class typecast: the topmost object is not a document");
    // A document that is not held by a shared_ptr is found again on every call rather than cached.
    FRoot = top->weak_from_this();
    FRootGeneration = parentGeneration;
    return document;
}

std::string TQVTGanttObject::getUID() const
{
    if (persistence) {
        if (!persistence->ID.empty())
            return persistence->ID;
    } else if (FLoadedName && *FLoadedName) {
        return FLoadedName;
    }
    // Taken when first asked for: most objects are loaded under a name and never need one, and
    // taking one is an atomic step.
    if (FIdentity == 0)
        FIdentity = nextIdentity().fetch_add(1);
    return std::string(AutoIdPrefix) + std::to_string(FIdentity);
}

std::string TQVTGanttObject::ClassName() const
{
    return ClassNameOf(typeid(*this));
}

std::shared_ptr<TQVTGanttObject> TQVTPersistence::load(std::unique_ptr<TQVTPersistence> self, const std::string& name,
                                                       IQVTMedia& media, TQVTEntityFactory& factory)
{
    return load(std::move(self), name, media, factory, nullptr);
}

std::shared_ptr<TQVTGanttObject> TQVTPersistence::load(std::unique_ptr<TQVTPersistence> self, const std::string& name,
                                                       IQVTMedia& media, TQVTEntityFactory& factory,
                                                       const char* storedName)
{
    self->ID = name;
    std::shared_ptr<TQVTGanttObject> obj = self->doLoad(name, media, factory);
    if (!obj)
        return nullptr;
    // The name must live as long as the object: the arena does, when the object is in it.
    if (storedName && factory.loadArena().Holds(obj.get())) {
        obj->persistence.reset();
        obj->FLoadedName = storedName;
    } else {
        obj->persistence = std::move(self);
        obj->FLoadedName = nullptr;
    }
    return obj;
}

bool TQVTPersistence::doSave(const std::string&, IQVTMedia&)
{
    return false;
}

std::shared_ptr<TQVTGanttObject> TQVTPersistence::loadChild(std::string_view key, IQVTMedia& media,
                                                            TQVTEntityFactory& factory, TQVTGanttObject* parent)
{
    std::string& value = factory.referenceBuffer();
    media.getStrProperty(ID, key, "Missing", value);
    if (value == "Missing") {
        addlog("Unable to locate child object named: \"" + std::string(key) + "\". Parent name = \"" + ID + "\"");
        factory.report(TQVTReferenceEvent::Missing, {ID, key, -1}, value);
        return nullptr;
    }
    factory.setReferenceContext(ID, key, -1);
    return factory.loadObject(value, media, parent);
}

bool TQVTPersistence::save(IQVTMedia& media)
{
    media.setStrProperty(ID, "typeID", getTypeID());
    return doSave(ID, media);
}

TRect TQVTDrawer::getRect()
{
    return TRect{};
}

bool TQVTDrawer::Draw(TQVTVisualContext&)
{
    return false;
}

TQVTGanttObject* TQVTDrawer::locateObject(int, int)
{
    return nullptr;
}

int TQVTDrawer::getHeight()
{
    return 0;
}

void TQVTDrawer::setHighlighted(bool value)
{
    highlightedMode = value;
}

bool TQVTDrawer::supportsHighlighting()
{
    return false;
}

} // namespace corvane
