#pragma once
// Component base: a component may have an owner and knows the components it owns.
// Owners do not free their components here; lifetimes are managed by smart pointers.

#include <string>
#include <vector>

namespace corvane {

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

private:
    TComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TComponent*> FComponents;
};

} // namespace corvane
