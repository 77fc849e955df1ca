#include "toolkit/controls/menus.h"

#include "toolkit/controls/forms.h"
#include "toolkit/qt/qtconvert.h"

#include <QMenu>

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

TPopupMenu::~TPopupMenu()
{
    delete FMenu.data();
}

QMenu* TPopupMenu::BuildMenu()
{
    delete FMenu.data();
    FMenu = new QMenu;
    Fill(FMenu, FItems);
    return FMenu;
}

void TPopupMenu::Fill(QMenu* Menu, TMenuItem* Parent)
{
    for (TMenuItem* Item : Parent->FItems) {
        if (Item->FCaption == u"-") {
            Menu->addSeparator();
        } else if (Item->Count() > 0) {
            QMenu* Sub = Menu->addMenu(ToQt(Item->FCaption));
            Fill(Sub, Item);
        } else {
            QAction* Action = Menu->addAction(ToQt(Item->FCaption));
            QObject::connect(Action, &QAction::triggered, Action, [Item] { Item->Click(); });
        }
    }
}

void TPopupMenu::Popup(int X, int Y)
{
    // Rebuilt at each showing: items may have been added since.
    BuildMenu()->exec(QPoint(X, Y));
}
