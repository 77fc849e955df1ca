#pragma once

#include "components/transparent_radio/transparentoptions.h"
#include "toolkit/controls/stdctrls.h"

#include <cstdint>
#include <memory>

// The side of the check mark that the plain (not transparent) button puts its caption on.
enum class TLeftRight { taLeftJustify, taRightJustify };

// Style bits of the button's window, as its creation parameters give them.
constexpr std::uint32_t BS_RADIOBUTTON = 0x04;
constexpr std::uint32_t BS_OWNERDRAW = 0x0B;
constexpr std::uint32_t BS_LEFTTEXT = 0x20;

struct TCreateParams {
    TString WinClassName;
    std::uint32_t Style = 0;
};

// A radio button that can paint itself over whatever its parent shows behind it, so
// that on a skinned window only a shaded round check mark and the caption are seen. In
// every other respect it is an ordinary radio button, one of the exclusive group of its
// parent's radio buttons.
//
// Transparent mode: the window object is owner-drawn (BS_OWNERDRAW): it never paints
// itself, the paint entry (WSPaint) draws the face (DrawFace) with the control's own
// canvas. The background is whatever the parent and the controls below paint under the
// control: the window fills none.
//
// Messages (WndProc). In either mode: WM_ENABLE, WM_SIZE and WM_MOVE repaint. In
// transparent mode the message filter also applies:
// - mouse moves never reach the button (it cannot un-press on a drag); each one
//   repaints. Without mouse tracking they arrive while a mouse button is held;
// - a left press or double click on a control that has the keyboard focus is swallowed
//   and only repaints, so it neither presses nor checks it; on any other control the
//   control first takes the focus (activating its window if need be), then the press
//   goes on to the button, with a repaint;
// - a left release, focus in and out, a change of the check and the click notification
//   go on to the button, and the control repaints at once over its parent.
// Because the press handling gives the focus itself, the owner-drawn button takes the
// focus from the keyboard only, as far as the window system is concerned.
//
// The "window" of the control is the native button's own look: it is created when the
// control is first shown and takes the creation parameters then: the caption side
// (Alignment, as BS_LEFTTEXT) and the font. Later font changes only repaint the
// self-drawn face; recreating the window (Alignment changes, Transparent switched off)
// brings the native button up to date.
//
// Owns its canvas and TransparentOptions.
class TVqTrRadioButton : public TRadioButton {
public:
    // The side of the square reserved for the check mark, in pixels.
    static constexpr int CheckSize = 14;

    explicit TVqTrRadioButton(TComponent* AOwner);
    ~TVqTrRadioButton() override;

    bool Transparent() const { return FTransparent; }
    // On: invalidates only; the style bits come with the next recreation of the window.
    // Off: recreates the window at once and the native button paints itself again.
    void SetTransparent(bool Value);
    TTransparentOptions* TransparentOptions() const { return FTransparentOptions.get(); }

    // The plain button's caption side; recreates the window. The self-drawn face
    // ignores it.
    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);

    // Class "BUTTON", the radio-button type, BS_LEFTTEXT for a caption on the left-hand
    // side as read, and BS_OWNERDRAW or-ed in while Transparent is on.
    virtual TCreateParams CreateParams() const;
    bool HandleAllocated() const { return FHandleAllocated; }
    // The style the window was last created with (0 before it exists).
    std::uint32_t WindowStyle() const { return FWindowStyle; }
    // Creates the window again from the current creation parameters, if it exists.
    void RecreateWnd();

    // The whole self-drawn face: focus frame, caption and check mark, laid out by
    // TransparentOptions in the client rectangle. Draws on the canvas, so only while the
    // paint entry has bound it.
    virtual void DrawFace();
    // Draws the caption into Area (wrapped when TransparentOptions->WordWrap), clipped to
    // it and without background.
    virtual void DrawCaption(const TRect& Area);
    // Draws the check mark with its top-left corner at Box's (Box is CheckSize square):
    // four shaded arcs and, when checked, the dot in the canvas font's colour (grey when
    // disabled). Uses the "Marlett" symbol face where the system has it, the same shapes
    // as vectors otherwise.
    virtual void DrawCheckGlyph(const TRect& Box);
    // Repaints the control at once over its parent's background (transparent mode only).
    void RefreshOverParent();
    // The control's client origin in its parent's client coordinates.
    TPoint ParentOrigin() const;
    // Runs OnClick, then repaints over the parent in transparent mode.
    void Click() override;

    TCanvas& Canvas() { return FCanvas; }

    // The control's message handling: what it handles itself, then the message filter
    // of transparent mode; what it passes on to TRadioButton goes on to the button.
    void WndProc(TMessage& Message) override;
    // The paint entry: binds the canvas, takes the reading direction, runs DrawFace and
    // unbinds the canvas, also when DrawFace fails (reported once the paint is over).
    void WSPaint(IWSCanvas& Canvas, const TRect& Area) override;

protected:
    // The font reaches the self-drawn face only; the native button keeps the font of
    // its window's creation.
    void FontChanged() override;
    void InitWidget() override;
    void CheckedChanged() override;

private:
    void CreateWnd();
    void Refresh();
    bool UseRightToLeftReading() const;

    TCanvas FCanvas;
    bool FTransparent = false;
    std::unique_ptr<TTransparentOptions> FTransparentOptions;
    TLeftRight FAlignment = TLeftRight::taRightJustify;
    bool FHandleAllocated = false;
    std::uint32_t FWindowStyle = 0;
};
