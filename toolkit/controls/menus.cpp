#include "toolkit/controls/menus.h"

#include "toolkit/controls/forms.h"
#include "toolkit/widgetset/widgetset.h"

#include <algorithm>

TMenuItem::TMenuItem(TComponent* AOwner)
    : TComponent(AOwner)
{
}

TMenuItem::~TMenuItem()
{
    if (FParent) {
        FParent->Remove(this);
    }
    for (TMenuItem* Child : FItems) {
        Child->FParent = nullptr;
    }
}

void TMenuItem::SetCaption(TStringView Value)
{
    FCaption.assign(Value);
}

void TMenuItem::Add(TMenuItem* Item)
{
    if (Item->FParent) {
        Item->FParent->Remove(Item);
    }
    Item->FParent = this;
    FItems.push_back(Item);
}

void TMenuItem::Remove(TMenuItem* Item)
{
    FItems.erase(std::remove(FItems.begin(), FItems.end(), Item), FItems.end());
    Item->FParent = nullptr;
}

void TMenuItem::Click()
{
    Application->CallEvent(OnClick, this);
}

TPopupMenu::TPopupMenu(TComponent* AOwner)
    : TComponent(AOwner)
    , FItems(new TMenuItem(this))
{
}

TPopupMenu::~TPopupMenu() = default;

std::vector<TWSMenuEntry> TPopupMenu::Entries(TMenuItem* Parent, std::vector<TMenuItem*>& Commands)
{
    std::vector<TWSMenuEntry> Result;
    Result.reserve(Parent->FItems.size());
    for (TMenuItem* Item : Parent->FItems) {
        TWSMenuEntry Entry;
        Entry.Caption = Item->FCaption;
        if (Item->Count() > 0) {
            Entry.Children = Entries(Item, Commands);
        } else if (Item->FCaption != u"-") {
            Commands.push_back(Item);
            Entry.Command = int(Commands.size());
        }
        Result.push_back(std::move(Entry));
    }
    return Result;
}

bool TPopupMenu::Holds(const TMenuItem* Parent, const TMenuItem* Item) const
{
    for (const TMenuItem* Child : Parent->FItems) {
        if (Child == Item || Holds(Child, Item)) {
            return true;
        }
    }
    return false;
}

void TPopupMenu::Choose(const std::vector<TMenuItem*>& Commands, int Command)
{
    // An item removed or destroyed while the menu was open is not run.
    if (Command >= 1 && size_t(Command) <= Commands.size()
        && Holds(FItems, Commands[Command - 1])) {
        Commands[Command - 1]->Click();
    }
}

TWSMenu* TPopupMenu::BuildMenu()
{
    FMenu.reset();
    FMenuCommands.clear();
    std::vector<TWSMenuEntry> Built = Entries(FItems, FMenuCommands);
    FMenu = WidgetSet().CreateMenu(Built, [this](int Command) { Choose(FMenuCommands, Command); });
    return FMenu.get();
}

void TPopupMenu::Popup(int X, int Y)
{
    // Numbered at each showing: items may have been added since.
    std::vector<TMenuItem*> Commands;
    const std::vector<TWSMenuEntry> Built = Entries(FItems, Commands);
    Choose(Commands, WidgetSet().PopupMenu(Built, { X, Y }));
}
