#pragma once
// Document objects, their loaders and their painters.

#include "corvane/framework/objects/qvtProperties.h"
#include "corvane/platform/Classes.h"
#include "corvane/platform/Types.h"

#include <memory>
#include <string>
#include <string_view>

namespace corvane {

class IQVTMedia;
class TQVTControllerIntf;
class TQVTDocumentSetup;
class TQVTDrawer;
class TQVTEntityFactory;
class TQVTGanttObject;
class TQVTOperation;
class TQVTPersistence;
class TQVTVisualContext;

enum TQVTViewType : std::uint8_t {
    vtGanttGraph,
    vtPertGraph
};

/// The controller's gesture states.
enum mouseState : std::uint8_t {
    simplyMoving,
    draggingObject,
    makingConnection,
    resizingObject,
    creatingObject,
    editingObject,
    ignoringSymbol,
    trackingMouse
};
constexpr int MouseStateCount = 8;

/// The input events the controller's transition table reacts to.
enum mouseEvent : std::uint8_t {
    Move,
    leftButtonDownOnObject,
    leftButtonDownOutOfObject,
    leftButtonDownOnObjectHoldingShift,
    leftButtonUp,
    moveIntoObject,
    moveOutOfObject,
    moveInsideObject,
    leftButtonDownOnObjectHoldingCtrl,
    leftButtonDownOnGridHoldingCtrl,
    deletePressed,
    mouseDblClick,
    leftButtonOnGrid,
    stopEditing,
    leftButtonDownOnTreeCell,
    ctrlAPressed,
    ArrowUp,
    ArrowDown,
    ArrowLeft,
    ArrowRight,
    treeCellExit
};
constexpr int MouseEventCount = 21;

/// Abstract interface of in-place editors.
class TQVTObjectEditorIntf {
public:
    virtual ~TQVTObjectEditorIntf() = default;
    virtual std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) = 0;
    virtual std::shared_ptr<TQVTOperation> FinishEditing() = 0;
    virtual bool IsModal() = 0;
    virtual TQVTControllerIntf* GetController() = 0;
    virtual void SetController(TQVTControllerIntf* controller) = 0;
};

/// Abstract control class of the chart controls; the widgets implement it.
class TQVTControllerIntf {
public:
    virtual ~TQVTControllerIntf() = default;
    /// Feeds an event into the controller's transition table, as drawers, editors and halo
    /// entities do.
    virtual void Notify(mouseEvent event, int x, int y) = 0;
};

/// Base of every piece of a schedule document. Always created without an owner component
/// and held by std::shared_ptr.
class TQVTGanttObject : public TComponent, public std::enable_shared_from_this<TQVTGanttObject> {
public:
    TQVTGanttObject();
    ~TQVTGanttObject() override;

    virtual TQVTDrawer* getDrawer(TQVTViewType viewType) const;
    /// The persistence of the object's class that loaded it, its ID the section name; none for
    /// an object created at run time.
    virtual TQVTPersistence* getPersistence() const;
    /// Writes the object into section name; the base writes nothing.
    virtual void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory);
    virtual std::unique_ptr<TQVTObjectEditorIntf> CreateEditor();
    virtual std::unique_ptr<TQVTObjectEditorIntf> DefaultEditor();
    /// Appends the object's published properties to props: each class appends its own after
    /// its base's. The base publishes none.
    virtual void GetPublishedProperties(TQVTPublishedProperties& props);
    /// Makes parent the object's owner in the document's structure. The link is weak: it answers
    /// none once the parent is gone, and a parent that is not held by a shared_ptr is no parent.
    /// Throws EInvalidOperation when the object would become its own ancestor.
    virtual void setParent(TQVTGanttObject* parent);

    /// The parent, or none when there is none or it has been freed.
    TQVTGanttObject* getParent() const { return FParent.lock().get(); }
    /// The document the object belongs to; throws EInvalidCast when the topmost ancestor is none.
    /// The answer is cached until any object anywhere changes its parent.
    TQVTDocumentSetup* GetDocumentSetup();
    /// The section name the object was loaded from, or "AutoID:" and a number unique among live objects.
    std::string getUID() const;
    /// The name of the object's class, such as "TQVTGanttTable".
    std::string ClassName() const;

    int QVTTag = 0;
    void* Data = nullptr;

protected:
    friend class TQVTPersistence;
    friend class TQVTEntityFactory;

    /// The object's drawer in the Gantt view; none by default. Drawers are made when first
    /// asked for, so that a document loads without one per object.
    virtual std::unique_ptr<TQVTDrawer> makeDrawer() const;
    /// Its own drawer in the PERT view; none by default, and then the Gantt drawer serves.
    virtual std::unique_ptr<TQVTDrawer> makePertViewDrawer() const;

    mutable std::unique_ptr<TQVTDrawer> FDrawer;
    mutable std::unique_ptr<TQVTDrawer> FDrawerPert;
    /// Made when first asked for on an object that keeps only its loaded name (FLoadedName).
    mutable std::unique_ptr<TQVTPersistence> persistence;
    /// Back references never own and never dangle: they are weak, and the cached document is
    /// valid only for the reparenting generation it was found in.
    std::weak_ptr<TQVTGanttObject> FParent;
    std::weak_ptr<TQVTGanttObject> FRoot;
    std::uint64_t FRootGeneration = 0;

private:
    mutable std::int64_t FIdentity = 0; // for "AutoID:", 0 until first asked for
    std::uint64_t FSaveMark = 0; // the top-level save that wrote the object last
    // An object placed in the arena of its load keeps its section name there instead of a
    // persistence of its own (1.6 million of them were 65 MB of the 100,000-task plan): the
    // name ends in a zero byte and follows the byte of its class's position in QVTEntityTypes.
    const char* FLoadedName = nullptr;
};

/// Loads one object from a section of a store.
class TQVTPersistence {
public:
    TQVTPersistence() = default;
    virtual ~TQVTPersistence() = default;

    TQVTPersistence(const TQVTPersistence&) = delete;
    TQVTPersistence& operator=(const TQVTPersistence&) = delete;

    /// The loading template: remembers the section name, lets doLoad build the object, hands
    /// this persistence to it and points its Gantt drawer at it. Answers none when doLoad does.
    static std::shared_ptr<TQVTGanttObject> load(std::unique_ptr<TQVTPersistence> self, const std::string& name,
                                                 IQVTMedia& media, TQVTEntityFactory& factory);

    virtual std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                                    TQVTEntityFactory& factory) = 0;
    /// Saving goes through the objects; every persistence writes nothing here.
    virtual bool doSave(const std::string& name, IQVTMedia& media);
    virtual std::string getTypeID() const = 0;

    /// Loads the object named by the reference key of this persistence's section.
    std::shared_ptr<TQVTGanttObject> loadChild(std::string_view key, IQVTMedia& media, TQVTEntityFactory& factory,
                                               TQVTGanttObject* parent);
    /// Typed form of loadChild: none when the child is missing or of another class.
    template <typename T>
    std::shared_ptr<T> loadChildAs(std::string_view key, IQVTMedia& media, TQVTEntityFactory& factory,
                                   TQVTGanttObject* parent)
    {
        return std::dynamic_pointer_cast<T>(loadChild(key, media, factory, parent));
    }
    bool save(IQVTMedia& media);

    std::string ID;

private:
    friend class TQVTEntityFactory;
    /// load, except that an object placed in the factory's arena keeps storedName (see
    /// FLoadedName) instead of this persistence; none keeps the persistence.
    static std::shared_ptr<TQVTGanttObject> load(std::unique_ptr<TQVTPersistence> self, const std::string& name,
                                                 IQVTMedia& media, TQVTEntityFactory& factory, const char* storedName);
};

/// A persistence whose type identifier is its object class's TypeID.
template <typename Object, typename Base = TQVTPersistence>
class TQVTPersistenceOf : public Base {
public:
    std::string getTypeID() const override { return Object::TypeID; }
};

/// Paints one object.
class TQVTDrawer {
public:
    TQVTDrawer() = default;
    explicit TQVTDrawer(TQVTGanttObject* target) : target(target) {}
    virtual ~TQVTDrawer() = default;

    virtual TRect getRect();
    virtual bool Draw(TQVTVisualContext& vc);
    virtual TQVTGanttObject* locateObject(int x, int y);
    virtual int getHeight();
    virtual void setHighlighted(bool value);
    virtual bool supportsHighlighting();
    bool isHighLighted() const { return highlightedMode; }

    TQVTGanttObject* target = nullptr;

protected:
    bool highlightedMode = false;
};

/// Keeps identities of objects created from now on clear of a loaded "AutoID:" section name,
/// so that a new object is never saved over a section that another object was loaded from.
void reserveAutoIdentity(const std::string& uid);

} // namespace corvane
