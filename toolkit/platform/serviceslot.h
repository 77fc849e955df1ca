#pragma once

// Holds the implementation of one system service: the platform's own by default, or
// one that a test installed in its place (not owned; nullptr restores the default).
template <class I>
class TServiceSlot {
public:
    explicit TServiceSlot(I& Default)
        : FDefault(Default)
    {
    }
    I& Get() const { return FInstalled ? *FInstalled : FDefault; }
    void Set(I* Installed) { FInstalled = Installed; }

private:
    I& FDefault;
    I* FInstalled = nullptr;
};
