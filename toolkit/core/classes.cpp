#include "toolkit/core/classes.h"

#include <algorithm>

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner) {
        if (AOwner->IsDesigning()) {
            FComponentState |= csDesigning;
        }
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent()
{
    FComponentState |= csDestroying;
    // Tell everyone who asked; they may drop their references to us.
    while (!FFreeNotifies.empty()) {
        TComponent* Other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& Back = Other->FFreeNotifies;
        Back.erase(std::remove(Back.begin(), Back.end(), this), Back.end());
        Other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (FOwner) {
        FOwner->RemoveComponent(this);
    }
}

TComponent* TComponent::FindComponent(TStringView AName) const
{
    const TString Wanted = LowerCase(AName);
    for (TComponent* C : FComponents) {
        if (C->FName.size() == AName.size() && LowerCase(C->FName) == Wanted) {
            return C;
        }
    }
    return nullptr;
}

void TComponent::SetDesigning(bool Value)
{
    if (Value) {
        FComponentState |= csDesigning;
    } else {
        FComponentState &= ~unsigned(csDesigning);
    }
    for (TComponent* C : FComponents) {
        C->SetDesigning(Value);
    }
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this) {
        return;
    }
    // Notices go both ways, as each may be destroyed first.
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(AComponent);
    }
    auto& Other = AComponent->FFreeNotifies;
    if (std::find(Other.begin(), Other.end(), this) == Other.end()) {
        Other.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (!AComponent) {
        return;
    }
    FFreeNotifies.erase(
        std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
    auto& Other = AComponent->FFreeNotifies;
    Other.erase(std::remove(Other.begin(), Other.end(), this), Other.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent) {
        FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
            FFreeNotifies.end());
    }
}

void TComponent::Loaded()
{
    FComponentState &= ~unsigned(csLoading);
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* Last = FComponents.back();
        delete Last; // its destructor removes it from our list
    }
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    AComponent->FOwner = this;
    if (FLoadsChildren) {
        AComponent->FComponentState |= csLoading;
    }
    FComponents.push_back(AComponent);
    NotifyOwned(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    auto It = std::find(FComponents.begin(), FComponents.end(), AComponent);
    if (It == FComponents.end()) {
        return;
    }
    FComponents.erase(It);
    AComponent->FOwner = nullptr;
    NotifyOwned(AComponent, TOperation::opRemove);
}

void TComponent::NotifyOwned(TComponent* AComponent, TOperation Operation)
{
    Notification(AComponent, Operation);
    // A notice may destroy components of ours: walk a copy and skip the gone ones.
    const std::vector<TComponent*> Snapshot = FComponents;
    for (TComponent* C : Snapshot) {
        if (C != AComponent
            && std::find(FComponents.begin(), FComponents.end(), C) != FComponents.end()) {
            C->Notification(AComponent, Operation);
        }
    }
}
