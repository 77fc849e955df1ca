#pragma once

#include "components/shaped_window/coord.h"
#include "components/shaped_window/rgv.h"
#include "toolkit/core/classes.h"

#include <memory>

class TImage;
class TCustomForm;
struct TMsg;

// A non-visual component placed on a top-level window and owned by it. It cuts the
// window to the pixels of a linked picture that are not of one transparent colour, sized
// to the picture, once the window's stored layout has loaded; and for as long as it
// exists it turns a left press on the window's own surface, outside the window's other
// pictures, into a move of the window.
//
// The transparent colour can be written four ways: TransparentColor itself, its red,
// green and blue parts (RGVTransparentColor), a picked pixel of the picture
// (XYTransparentColor) and linking a picture (its top-left pixel). After loading, the
// last one written decides, the others are brought into line and the window is re-shaped.
// While the stored layout is being applied the values are only recorded.
//
// Owns its two sub-objects; holds plain references to the owner window and the linked
// picture, and drops the latter when told the picture is destroyed.
class TKwTranspaMoveForm : public TComponent {
public:
    // Outside design mode installs AppMessage as the application's message hook,
    // replacing whatever hook was there (the component created last handles all presses).
    // In design mode makes the owner frameless and sets the design defaults instead.
    explicit TKwTranspaMoveForm(TComponent* AOwner);
    // Removes the application's hook if it is still ours, so it is never called on a
    // destroyed component. The window keeps its size and shape.
    ~TKwTranspaMoveForm() override;

    TImage* ImageLinked() const { return FImageLinked; }
    // Records the link and asks for the picture's removal notice. Outside loading also
    // takes the transparent colour from the picture's top-left pixel and, once loaded,
    // re-shapes the window from the picture's present content. That is the only time:
    // loading another picture into the linked control later leaves the window's size and
    // shape as they are.
    void SetImageLinked(TImage* Value);
    bool Transparent() const { return FTransparent; }
    // Read at the next build only; writing false does not restore a rectangular window.
    void SetTransparent(bool Value) { FTransparent = Value; }
    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(TColor Value);
    TRGV* RGVTransparentColor() const { return FRGVTransparentColor; }
    TCoord* XYTransparentColor() const { return FXYTransparentColor; }
    // Read at every press.
    bool Deplacement() const { return FDeplacement; }
    void SetDeplacement(bool Value) { FDeplacement = Value; }

    // End of loading: the first build of the window's shape.
    void Loaded() override;
    // Empties the link when the linked picture is destroyed; the window keeps its shape.
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Sizes the owner window to the linked picture (height first, then width), cuts it to
    // the picture's opaque pixels and raises it. The picture, and every one loaded into it
    // later, is drawn with the transparent colour left out on a see-through window, so
    // the colour shows nowhere, even where the system does not cut windows. Does nothing
    // while Transparent is false or no picture is linked.
    void BuildRegion();

    // The application-wide hook: a left press addressed to the owner window, with the
    // cursor outside every picture of the window but the linked one, is taken for a move
    // of the window and swallowed (Handled); the move starts at the first motion with the
    // button down, from the press's place, and a release before any motion moves nothing.
    // Everything else passes.
    void AppMessage(TMsg& Msg, bool& Handled);

    // How many presses the hook has taken for a move, how many moves started, and
    // whether the toolkit's own drag is running (where the platform refuses to move the
    // window for us). Read by the tests.
    int PressesTaken() const { return FPressesTaken; }
    int MovesStarted() const;
    bool Dragging() const;

private:
    class TMove;

    void RGVChange(TRGV* Sender);
    void XYChange(TCoord* Sender);
    void ColourFromTopLeft();
    void ClearPick();
    void Mirror();
    void Rebuild();
    bool PictureUnderCursor() const;

    TImage* FImageLinked = nullptr;
    bool FTransparent = false;
    TColor FTransparentColor = 0;
    TCoord* FXYTransparentColor;
    TRGV* FRGVTransparentColor;
    TCustomForm* FForm;
    bool FDeplacement = false;
    bool FUpdating = true;
    bool FIsLoaded = false;

    std::unique_ptr<TMove> FMove;
    int FPressesTaken = 0;
};
