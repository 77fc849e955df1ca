#pragma once

#include "toolkit/core/tstring.h"
#include "toolkit/core/types.h"

#include <vector>

// Small owned sub-objects whose fields are stored under their owner's property name
// (for instance RGVTransparentColor.R).
class TPersistent : public TObject { };

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csDesigning = 1u << 1,
    csDestroying = 1u << 2,
};

// The component base: an owner that destroys what it owns, a name, the owner's ordered
// list of owned components, the loading and design-mode states, removal notices
// between components that ask for them, and the end-of-loading step.
//
// A component created with an owner is appended to the owner's list and every
// component of that owner is told of the insertion. When a component is destroyed,
// the components that asked for notice of it (FreeNotification) and every other
// component of its owner are told of the removal before it leaves the list.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const TString& Name() const { return FName; }
    void SetName(TStringView Value) { FName = Value; }

    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int Index) const { return FComponents.at(size_t(Index)); }
    // The owned component of that name, letters of the Latin blocks compared without
    // regard to case (component names are identifiers); null when there is none.
    TComponent* FindComponent(TStringView AName) const;

    unsigned ComponentState() const { return FComponentState; }
    bool IsLoading() const { return (FComponentState & csLoading) != 0; }
    bool IsDesigning() const { return (FComponentState & csDesigning) != 0; }
    bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }

    // The layout loader puts a component into the loading state before it writes the
    // stored properties and takes it out of it through Loaded.
    void BeginLoading() { FComponentState |= csLoading; }
    // Layout editors create components in design mode; the owner's mode is inherited.
    void SetDesigning(bool Value);

    // Asks to be told (Notification with opRemove) when AComponent is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // End-of-loading step: leaves the loading state. Overrides call the base first.
    virtual void Loaded();

    int Tag = 0;

protected:
    // While set, components inserted into this one start in the loading state: the form
    // sets it while it applies its stored layout.
    void SetLoadsChildren(bool Value) { FLoadsChildren = Value; }

    // Destroys the owned components, last first. Forms call it from their own
    // destructor so that owned components never outlive the form's own members.
    void DestroyComponents();

private:
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void NotifyOwned(TComponent* AComponent, TOperation Operation);

    TComponent* FOwner = nullptr;
    TString FName;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    unsigned FComponentState = 0;
    bool FLoadsChildren = false;
};
