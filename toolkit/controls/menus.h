#pragma once

#include "toolkit/core/classes.h"

#include <QMenu>
#include <QPointer>

class QAction;

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

// A pop-up menu: its top-level items, shown at a screen point. The Qt menu is built
// when the menu is first shown, not at start.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return FItems; }
    // Automatic accelerator keys and separator reduction: off in our layouts, and Qt never
    // inserts accelerators or drops separators by itself, so these only record the value.
    bool AutoHotkeys = false;
    bool AutoLineReduction = false;

    // Shows the menu with its top-left corner at (X, Y); returns when it has closed, after
    // a chosen item's command has run.
    void Popup(int X, int Y);
    // The Qt menu as last built (null before the first Popup); for tests.
    QMenu* Menu() const { return FMenu; }
    // Builds the Qt menu from the items without showing it.
    QMenu* BuildMenu();

private:
    void Fill(QMenu* Menu, TMenuItem* Parent);
    TMenuItem* FItems;
    QPointer<QMenu> FMenu;
};
