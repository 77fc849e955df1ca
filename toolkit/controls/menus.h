#pragma once

#include "toolkit/core/classes.h"

#include <memory>
#include <vector>

class TWSMenu;
struct TWSMenuEntry;

// One item of a menu: a caption ("&" marks the accelerator), a click handler and child
// items. Items are components owned by their menu.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const TString& Caption() const { return FCaption; }
    void SetCaption(TStringView Value);

    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int Index) const { return FItems.at(size_t(Index)); }
    TMenuItem* Parent() const { return FParent; }
    void Add(TMenuItem* Item);
    void Remove(TMenuItem* Item);

    // Runs OnClick through the application's error box, as choosing the item does.
    void Click();
    TNotifyEvent OnClick;

private:
    friend class TPopupMenu;
    TString FCaption;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
};

// A pop-up menu: its top-level items, shown at a screen point through the widget set.
// Its window-system menu (for tray hosts that draw the menu themselves) is built when
// first asked for, not at start.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return FItems; }
    // Automatic accelerator keys and separator reduction: off in our layouts, and the
    // widget sets never insert accelerators or drop separators by themselves, so these
    // only record the value.
    bool AutoHotkeys = false;
    bool AutoLineReduction = false;

    // Shows the menu with its top-left corner at (X, Y); returns when it has closed, after
    // a chosen item's command has run.
    void Popup(int X, int Y);
    // The window system's menu as last built (null before BuildMenu, and on a window
    // system that needs none), for the notification area: choosing one of its items runs
    // the item's OnClick.
    TWSMenu* Menu() const { return FMenu.get(); }
    // Builds that menu from the items as they are now, without showing it.
    TWSMenu* BuildMenu();

private:
    // The entries of Parent's items; each item that can be chosen gets the number of its
    // place in Commands, from 1.
    static std::vector<TWSMenuEntry> Entries(TMenuItem* Parent, std::vector<TMenuItem*>& Commands);
    // Runs the item numbered Command in Commands, if it is still one of ours.
    void Choose(const std::vector<TMenuItem*>& Commands, int Command);
    bool Holds(const TMenuItem* Parent, const TMenuItem* Item) const;
    TMenuItem* FItems;
    std::unique_ptr<TWSMenu> FMenu;
    std::vector<TMenuItem*> FMenuCommands; // FMenu's numbering
};
