#pragma once

#include "toolkit/controls/graphics.h"
#include "toolkit/core/classes.h"

#include <functional>
#include <memory>
#include <vector>

class TWinControl;
class TPopupMenu;

// A visual control: a component with a parent, a place and a size in the parent's
// client coordinates, a visibility, a caption and a font. Each control is carried by one
// window object of the widget set, created by the control and destroyed with it.
//
// A control made with a window factory creates its window object when it first shows:
// visible, on a parent shown on the screen, within the parent's client area (or when
// WSObject() is first called). Until then it keeps its state itself, so nothing it
// reports differs; the windows of views a session never opens then cost neither memory
// nor start-up time. A window created late takes its place among its windowed siblings
// for stacking as if it had been created with them; the form moves the keyboard focus in
// layout order.
//
// Every message its window reports goes through WindowProc, which starts as WndProc (the
// model's own reactions) and which a component may replace, calling the handler it
// replaced for what it does not take itself.
class TControl : public TComponent, public IWSClient {
public:
    TControl(TComponent* AOwner, std::unique_ptr<TWSControl> AWindow);
    ~TControl() override;

    // The window object, created here by a control with a factory that has none yet.
    TWSControl* WSObject() const;
    bool WidgetCreated() const { return FHandle != nullptr; }

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return FBounds.Left; }
    int Top() const { return FBounds.Top; }
    int Width() const { return BoundsRect().Width(); }
    int Height() const { return BoundsRect().Height(); }
    TRect BoundsRect() const
    {
        SettleSize();
        return FBounds;
    }
    void SetLeft(int Value) { SetBounds(Value, Top(), Width(), Height()); }
    void SetTop(int Value) { SetBounds(Left(), Value, Width(), Height()); }
    void SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
    void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);

    // An unchanged caption costs nothing, so a caption formatted into a kept buffer is
    // set without allocating.
    const TString& Caption() const { return FCaption; }
    virtual void SetCaption(TStringView Value);

    const TFont& Font() const { return FFont; }
    virtual void SetFont(const TFont& Value);

    // A control takes its parent's colour until it is given one of its own (ParentColor
    // then turns off), as a label on a dark dialog is dark behind its text.
    TColor Color() const;
    virtual void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value) { FCursor = Value; }

    // Point conversions between screen and this control's client coordinates.
    TPoint ScreenToClient(TPoint P) const;
    TPoint ClientToScreen(TPoint P) const;

    void Invalidate();
    void Repaint();

    // Runs OnClick through the application's error box.
    virtual void Click();
    TNotifyEvent OnClick;

    // The control's message handler; a replacement calls the one it replaced for what it
    // leaves to the control.
    std::function<void(TMessage& Message)> WindowProc;
    // Delivers a message through WindowProc now; returns its Result.
    std::intptr_t Perform(std::uint32_t Msg, std::uintptr_t WParam = 0, std::intptr_t LParam = 0);
    // The model's own handling of a message. A subclass that handles a message does not
    // call this; the messages it passes on here are left to the window system (a press on
    // a native button presses it) unless the model takes them.
    virtual void WndProc(TMessage& Message);

    bool WSMessage(TMessage& Message) override;
    void WSPaint(IWSCanvas& Canvas, const TRect& Area) override { }

protected:
    friend class TWinControl;
    using TWindowFactory = std::function<std::unique_ptr<TWSControl>()>;
    TControl(TComponent* AOwner, TWindowFactory Factory);
    // The factory of a control whose window object the widget set makes with Create for
    // Self, kept typed in Typed (a member of Self's, filled when the window is made).
    template <class T>
    static TWindowFactory WindowFactory(
        TControl* Self, T*& Typed, std::unique_ptr<T> (TWidgetSet::*Create)(IWSClient*))
    {
        return [Self, &Typed, Create]() -> std::unique_ptr<TWSControl> {
            auto Window = (WidgetSet().*Create)(Self);
            Typed = Window.get();
            return Window;
        };
    }
    // Called once a factory's window object exists and carries the control's parent,
    // place, enabled state and font, before it is shown: subclasses give it the rest of
    // their state.
    virtual void InitWidget() { }
    // A control that takes its size from its content lazily settles it here: before
    // its size is read, and when it shows (visible, on a parent shown).
    virtual void SettleSize() const { }
    // Whether the parent is shown on the screen.
    bool ParentShown() const;
    // The client area, in client coordinates.
    virtual TRect ClientRect() const { return TRect::FromSize(0, 0, Width(), Height()); }
    // Destroys the window object now, its messages no longer reaching the control (for a
    // subclass whose window must go while the subclass still stands).
    void DestroyWindowObject();
    void ParentDestroyed();
    virtual void FontChanged();
    virtual void CaptionChanged();
    // The colour it shows changed (its own, or its parent's that it follows).
    virtual void ColorChanged() { Invalidate(); }

    std::unique_ptr<TWSControl> FHandle;
    TWindowFactory FFactory; // emptied when used: a window is made once at most
    bool FFontSet = false;
    TWinControl* FParent = nullptr;
    // The size a window system gives a window it has not placed yet.
    TRect FBounds = TRect::FromSize(0, 0, 640, 480);
    bool FVisible = true;
    bool FEnabled = true;
    TString FCaption;
    TFont FFont;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    TCursor FCursor = TCursor::crDefault;

private:
    bool FMessageLeft = false; // WndProc left the message to the window system
    void CreateWidgetIfShown();
    void CreateWidget();
};

// A control with a window of its own: it takes its own mouse input and its presses are
// addressed to it, not to its parent.
class TWinControl : public TControl {
public:
    TWinControl(TComponent* AOwner, std::unique_ptr<TWSControl> AWindow);
    ~TWinControl() override;

    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int Index) const { return FControls.at(size_t(Index)); }

    bool Focused() const;
    void SetFocus();

    // Children that follow the parent's colour repaint with it.
    void SetColor(TColor Value) override;

    // Creates the windows of the visible child controls that now show (the parent was
    // shown or grew).
    void CreateShownChildren();

protected:
    TWinControl(TComponent* AOwner, TWindowFactory Factory);

private:
    friend class TControl;
    std::vector<TControl*> FControls;
};

// A windowed control that paints itself: Paint draws on Canvas, bound for the length of
// each paint, in client coordinates. Transparent, it draws over what its parent and the
// controls below it show there (nothing of its own background is filled).
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    TCanvas& Canvas() { return FCanvas; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    void WSPaint(IWSCanvas& Canvas, const TRect& Area) override;

protected:
    virtual void Paint() { }
    // The window object, once made (null until then).
    TWSCustomControl* WSControl() const { return FWindow; }

private:
    TWSCustomControl* FWindow = nullptr; // FHandle's, typed
    TCanvas FCanvas;
    bool FTransparent = false;
};

// A control without a window of its own (labels, pictures): presses on it reach its
// parent window, which hands clicks to the control under the cursor.
class TGraphicControl : public TControl {
public:
    TGraphicControl(TComponent* AOwner, std::unique_ptr<TWSControl> AWindow);
};
