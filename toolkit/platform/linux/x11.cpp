#include "toolkit/platform/linux/x11.h"

#include <QGuiApplication>

#include <cstdlib>
#include <utility>

namespace X11 {

xcb_connection_t* Connection()
{
    auto* App = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return App ? App->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* C, const char* Name)
{
    static std::vector<std::pair<QByteArray, xcb_atom_t>> Known;
    for (const auto& [KnownName, Value] : Known) {
        if (KnownName == Name) {
            return Value;
        }
    }
    const QByteArray Bytes(Name);
    xcb_intern_atom_reply_t* Reply
        = xcb_intern_atom_reply(C, xcb_intern_atom(C, 0, quint16(Bytes.size()), Name), nullptr);
    const xcb_atom_t Value = Reply ? Reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(Reply);
    Known.emplace_back(Bytes, Value);
    return Value;
}

xcb_window_t DefaultRoot(xcb_connection_t* C)
{
    const xcb_screen_iterator_t It = xcb_setup_roots_iterator(xcb_get_setup(C));
    return It.rem ? It.data->root : xcb_window_t(0);
}

std::vector<quint32> ReadCardinals(xcb_connection_t* C, xcb_window_t Window, xcb_atom_t Property,
    xcb_atom_t Type, quint32 MaxItems)
{
    std::vector<quint32> Items;
    xcb_get_property_reply_t* Reply = xcb_get_property_reply(
        C, xcb_get_property(C, 0, Window, Property, Type, 0, MaxItems), nullptr);
    if (Reply && Reply->format == 32 && (Type == XCB_ATOM_ANY || Reply->type == Type)) {
        const auto* Data = static_cast<const quint32*>(xcb_get_property_value(Reply));
        Items.assign(Data, Data + xcb_get_property_value_length(Reply) / 4);
    }
    std::free(Reply);
    return Items;
}

}
