#include "capture/x11/XcbConnection.h"

#include "capture/CaptureError.h"
#include "x11/XcbOwners.h"

#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/shape.h>
#include <xcb/shm.h>
#include <xcb/xcb_renderutil.h>
#include <xcb/xfixes.h>

#include <cstring>

namespace {

constexpr const char* kAtomNames[XcbConnection::kAtomCount] = {
    "WM_STATE",
    "_NET_WM_NAME",
    "UTF8_STRING",
    "_NET_WM_PID",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DESKTOP",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_WINDOW_TYPE_NOTIFICATION",
    "_XROOTPMAP_ID",
    "_NET_WM_CM_S0",
    "ESETROOT_PMAP_ID",
};

XcbConnection::Extension extension(xcb_connection_t* connection, xcb_extension_t* id) {
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(connection, id);
    if (!data || !data->present) {
        return {};
    }
    return {true, data->first_event, data->first_error, data->major_opcode};
}

}  // namespace

XcbConnection::XcbConnection(const QByteArray& displayName) {
    int screenNumber = 0;
    m_connection = xcbConnect(displayName, screenNumber);
    if (xcb_connection_has_error(m_connection.get())) {
        const QString name = displayName.isEmpty() ? QString::fromLocal8Bit(qgetenv("DISPLAY"))
                                                   : QString::fromLocal8Bit(displayName);
        throw CaptureError(QStringLiteral("Cannot connect to the X display \"%1\"").arg(name));
    }
    m_screen = xcbScreen(m_connection.get(), screenNumber);
    if (!m_screen) {
        throw CaptureError(QStringLiteral("The X display has no screen %1").arg(screenNumber));
    }
    internAtoms();
    queryExtensions();
}

XcbConnection::~XcbConnection() = default;

uint32_t XcbConnection::resourceIdMask() const {
    return xcb_get_setup(m_connection.get())->resource_id_mask;
}

void XcbConnection::internAtoms() {
    std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies;
    for (int i = 0; i < kAtomCount; ++i) {
        cookies[i] =
            xcb_intern_atom(m_connection.get(), 0, std::strlen(kAtomNames[i]), kAtomNames[i]);
    }
    for (int i = 0; i < kAtomCount; ++i) {
        XcbReply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(m_connection.get(), cookies[i], nullptr));
        m_atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
}

void XcbConnection::queryExtensions() {
    xcb_prefetch_extension_data(m_connection.get(), &xcb_composite_id);
    xcb_prefetch_extension_data(m_connection.get(), &xcb_render_id);
    xcb_prefetch_extension_data(m_connection.get(), &xcb_xfixes_id);
    xcb_prefetch_extension_data(m_connection.get(), &xcb_damage_id);
    xcb_prefetch_extension_data(m_connection.get(), &xcb_shape_id);
    xcb_prefetch_extension_data(m_connection.get(), &xcb_shm_id);
    xcb_prefetch_extension_data(m_connection.get(), &xcb_randr_id);
    xcb_prefetch_extension_data(m_connection.get(), &xcb_res_id);
    m_composite = extension(m_connection.get(), &xcb_composite_id);
    m_render = extension(m_connection.get(), &xcb_render_id);
    m_xfixes = extension(m_connection.get(), &xcb_xfixes_id);
    m_damage = extension(m_connection.get(), &xcb_damage_id);
    m_shape = extension(m_connection.get(), &xcb_shape_id);
    m_shm = extension(m_connection.get(), &xcb_shm_id);
    m_randr = extension(m_connection.get(), &xcb_randr_id);
    m_res = extension(m_connection.get(), &xcb_res_id);
    if (!m_composite.present || !m_render.present || !m_xfixes.present || !m_damage.present) {
        throw CaptureError(QStringLiteral(
            "The X server lacks an extension screen capture needs (Composite, RENDER, XFIXES "
            "and DAMAGE)"));
    }

    // Every extension must be told the version we speak before its requests are used.
    auto composite = xcb_composite_query_version(m_connection.get(), 0, 4);
    auto render = xcb_render_query_version(m_connection.get(), 0, 11);
    auto xfixes = xcb_xfixes_query_version(m_connection.get(), 5, 0);
    auto damage = xcb_damage_query_version(m_connection.get(), 1, 1);
    auto formats = xcb_render_query_pict_formats(m_connection.get());
    xcb_randr_query_version_cookie_t randr{};
    if (m_randr.present) {
        randr = xcb_randr_query_version(m_connection.get(), 1, 5);
    }
    xcb_shm_query_version_cookie_t shm{};
    if (m_shm.present) {
        shm = xcb_shm_query_version(m_connection.get());
    }
    xcb_res_query_version_cookie_t res{};
    if (m_res.present) {
        res = xcb_res_query_version(m_connection.get(), 1, 2);
    }
    XcbReply<xcb_composite_query_version_reply_t> compositeReply(
        xcb_composite_query_version_reply(m_connection.get(), composite, nullptr));
    XcbReply<xcb_render_query_version_reply_t> renderReply(
        xcb_render_query_version_reply(m_connection.get(), render, nullptr));
    XcbReply<xcb_xfixes_query_version_reply_t> xfixesReply(
        xcb_xfixes_query_version_reply(m_connection.get(), xfixes, nullptr));
    XcbReply<xcb_damage_query_version_reply_t> damageReply(
        xcb_damage_query_version_reply(m_connection.get(), damage, nullptr));
    m_formats.reset(xcb_render_query_pict_formats_reply(m_connection.get(), formats, nullptr));
    if (m_randr.present) {
        XcbReply<xcb_randr_query_version_reply_t> reply(
            xcb_randr_query_version_reply(m_connection.get(), randr, nullptr));
        m_randrMonitors = reply && (reply->major_version > 1 ||
                                    (reply->major_version == 1 && reply->minor_version >= 5));
    }
    if (m_shm.present) {
        XcbReply<xcb_shm_query_version_reply_t> reply(
            xcb_shm_query_version_reply(m_connection.get(), shm, nullptr));
        m_shmPixmaps =
            reply && reply->shared_pixmaps && reply->pixmap_format == XCB_IMAGE_FORMAT_Z_PIXMAP;
    }
    if (m_res.present) {
        XcbReply<xcb_res_query_version_reply_t> reply(
            xcb_res_query_version_reply(m_connection.get(), res, nullptr));
        m_resClientIds = reply && (reply->server_major > 1 ||
                                   (reply->server_major == 1 && reply->server_minor >= 2));
    }
    if (!compositeReply || compositeReply->minor_version < 2 || !renderReply || !xfixesReply ||
        xfixesReply->major_version < 2 || !damageReply || !m_formats) {
        throw CaptureError(
            QStringLiteral("The X server's Composite, RENDER, XFIXES or DAMAGE "
                           "extension is too old for screen capture"));
    }
    const xcb_render_pictforminfo_t* argb =
        xcb_render_util_find_standard_format(m_formats.get(), XCB_PICT_STANDARD_ARGB_32);
    const xcb_render_pictforminfo_t* rgb =
        xcb_render_util_find_standard_format(m_formats.get(), XCB_PICT_STANDARD_RGB_24);
    if (!argb || !rgb) {
        throw CaptureError(QStringLiteral("The X server offers no 32-bit picture format"));
    }
    m_argbFormat = argb->id;
}

xcb_render_pictformat_t XcbConnection::formatForVisual(xcb_visualid_t visual) const {
    const xcb_render_pictvisual_t* found =
        xcb_render_util_find_visual_format(m_formats.get(), visual);
    return found ? found->format : 0;
}

bool XcbConnection::formatHasAlpha(xcb_render_pictformat_t format) const {
    xcb_render_pictforminfo_iterator_t it =
        xcb_render_query_pict_formats_formats_iterator(m_formats.get());
    for (; it.rem; xcb_render_pictforminfo_next(&it)) {
        if (it.data->id == format) {
            return it.data->direct.alpha_mask != 0;
        }
    }
    return false;
}
