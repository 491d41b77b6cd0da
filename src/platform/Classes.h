#pragma once
// Component base: a component may have an owner and knows the components it owns.
// Owners do not free their components here; lifetimes are managed by smart pointers.

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const;
    const std::string& Name() const;
    void SetName(const std::string& name);

    int ComponentCount() const;
    /// Throws std::out_of_range for an index outside 0 .. ComponentCount() - 1.
    TComponent* Components(int index) const;

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

private:
    // Most components of a document have no owner, name or components of their own, so these
    // live apart and only when used: a million objects spare 56 bytes each.
    struct TLinks {
        TComponent* Owner = nullptr;
        std::string Name;
        std::vector<TComponent*> Components;
    };
    TLinks& links();

    std::unique_ptr<TLinks> FLinks;
};

} // namespace corvane
