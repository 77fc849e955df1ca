#include "toolkit/platform/linux/x11.h"
#include "toolkit/platform/screen.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/workarea.h"
#include "toolkit/qt/qtconvert.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <optional>

namespace {

// The struts of the windows the window manager manages (or, without one, of the root's
// children): _NET_WM_STRUT_PARTIAL, or the older _NET_WM_STRUT that covers whole edges.
std::vector<TStrut> ReadStruts(xcb_connection_t* C, xcb_window_t Root, const TRect& Desktop)
{
    std::vector<quint32> Windows
        = X11::ReadCardinals(C, Root, X11::Atom(C, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (Windows.empty()) {
        xcb_query_tree_reply_t* Tree = xcb_query_tree_reply(C, xcb_query_tree(C, Root), nullptr);
        if (Tree) {
            const xcb_window_t* Children = xcb_query_tree_children(Tree);
            Windows.assign(Children, Children + xcb_query_tree_children_length(Tree));
        }
        std::free(Tree);
    }
    std::vector<TStrut> Struts;
    const xcb_atom_t Partial = X11::Atom(C, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t Whole = X11::Atom(C, "_NET_WM_STRUT");
    for (const quint32 Window : Windows) {
        std::vector<quint32> V = X11::ReadCardinals(C, Window, Partial, XCB_ATOM_CARDINAL, 12);
        if (V.size() < 12) {
            V = X11::ReadCardinals(C, Window, Whole, XCB_ATOM_CARDINAL, 4);
            if (V.size() < 4) {
                continue;
            }
            // Whole edges: left, right, top, bottom, each over the desktop's full side.
            const int H = Desktop.Bottom - 1;
            const int W = Desktop.Right - 1;
            V = { V[0], V[1], V[2], V[3], 0, quint32(H), 0, quint32(H), 0, quint32(W), 0,
                quint32(W) };
        }
        // left, right, top, bottom, then start and end of each in that order.
        Struts.push_back({ TStrut::Left, int(V[0]), int(V[4]), int(V[5]) });
        Struts.push_back({ TStrut::Right, int(V[1]), int(V[6]), int(V[7]) });
        Struts.push_back({ TStrut::Top, int(V[2]), int(V[8]), int(V[9]) });
        Struts.push_back({ TStrut::Bottom, int(V[3]), int(V[10]), int(V[11]) });
    }
    return Struts;
}

// The primary monitor's work area from the window manager's hints, in X pixels. Qt reads
// _NET_WORKAREA only while there is one monitor: with several it reports whole monitors,
// and a clock placed from that would stand under a panel.
TRect X11PrimaryWorkArea(xcb_connection_t* C, const TRect& Primary)
{
    const xcb_window_t Root = X11::DefaultRoot(C);
    xcb_get_geometry_reply_t* G = xcb_get_geometry_reply(C, xcb_get_geometry(C, Root), nullptr);
    if (!G) {
        return Primary;
    }
    const TRect Desktop = TRect::FromSize(0, 0, G->width, G->height);
    std::free(G);

    std::optional<TRect> Published;
    const std::vector<quint32> Areas
        = X11::ReadCardinals(C, Root, X11::Atom(C, "_NET_WORKAREA"), XCB_ATOM_CARDINAL);
    const std::vector<quint32> Current
        = X11::ReadCardinals(C, Root, X11::Atom(C, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 1);
    const size_t Index = Current.empty() ? 0 : Current[0];
    if (Index < Areas.size() / 4) {
        const quint32* A = &Areas[Index * 4];
        Published = TRect::FromSize(int(A[0]), int(A[1]), int(A[2]), int(A[3]));
    }
    return PrimaryWorkArea(Primary, Desktop, Published, ReadStruts(C, Root, Desktop));
}

class TQtScreenMetrics : public IScreenMetrics {
public:
    TSize PrimaryScreenSize() const override
    {
        const QScreen* S = QGuiApplication::primaryScreen();
        return FromQt(S ? S->geometry().size() : QSize());
    }
    TRect VirtualScreen() const override
    {
        const QScreen* S = QGuiApplication::primaryScreen();
        return FromQt(S ? S->virtualGeometry() : QRect());
    }
    TRect WorkArea() const override
    {
        const QScreen* S = QGuiApplication::primaryScreen();
        if (!S) {
            return FromQt(QRect());
        }
        xcb_connection_t* C = X11::Connection();
        if (!C) {
            return FromQt(S->availableGeometry());
        }
        // Qt scales a screen's size by its pixel ratio but keeps its origin; points on it
        // scale about that origin.
        const qreal Ratio = S->devicePixelRatio();
        const QRect Logical = S->geometry();
        const QPoint Origin = Logical.topLeft();
        const QRect Native(Origin, (QSizeF(Logical.size()) * Ratio).toSize());
        const QRect Area = ToQt(X11PrimaryWorkArea(C, FromQt(Native)));
        const QPointF TopLeft = Origin + QPointF(Area.topLeft() - Origin) / Ratio;
        const QPointF BottomRight
            = Origin + QPointF(Area.bottomRight() + QPoint(1, 1) - Origin) / Ratio;
        return FromQt(QRect(TopLeft.toPoint(), BottomRight.toPoint() - QPoint(1, 1)));
    }
};
TQtScreenMetrics QtScreenMetrics;
TServiceSlot<IScreenMetrics> Slot(QtScreenMetrics);
}

IScreenMetrics& ScreenMetrics()
{
    return Slot.Get();
}
void SetScreenMetrics(IScreenMetrics* Metrics)
{
    Slot.Set(Metrics);
}
