#include "corvane/platform/Classes.h"

#include <algorithm>
#include <stdexcept>

namespace corvane {

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    if (!FLinks)
        return;
    if (FLinks->Owner)
        FLinks->Owner->RemoveComponent(this);
    for (TComponent* c : FLinks->Components)
        c->FLinks->Owner = nullptr;
}

TComponent::TLinks& TComponent::links()
{
    if (!FLinks)
        FLinks = std::make_unique<TLinks>();
    return *FLinks;
}

TComponent* TComponent::Owner() const
{
    return FLinks ? FLinks->Owner : nullptr;
}

const std::string& TComponent::Name() const
{
    static const std::string none;
    return FLinks ? FLinks->Name : none;
}

void TComponent::SetName(const std::string& name)
{
    links().Name = name;
}

int TComponent::ComponentCount() const
{
    return FLinks ? static_cast<int>(FLinks->Components.size()) : 0;
}

TComponent* TComponent::Components(int index) const
{
    if (!FLinks)
        throw std::out_of_range("TComponent::Components: no components");
    return FLinks->Components.at(static_cast<std::size_t>(index));
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->Owner() == this)
        return;
    if (TComponent* previous = component->Owner())
        previous->RemoveComponent(component);
    component->links().Owner = this;
    links().Components.push_back(component);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!FLinks)
        return;
    auto& components = FLinks->Components;
    const auto it = std::find(components.begin(), components.end(), component);
    if (it == components.end())
        return;
    components.erase(it);
    component->FLinks->Owner = nullptr;
}

} // namespace corvane
