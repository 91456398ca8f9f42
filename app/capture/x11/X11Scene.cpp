#include "capture/x11/X11Scene.h"

#include "capture/CaptureError.h"
#include "capture/x11/X11TopLevels.h"
#include "x11/XcbOwners.h"

#include <xcb/composite.h>
#include <xcb/shape.h>

#include <algorithm>

X11Scene::X11Scene(XcbConnection& connection, ExclusionRule rule)
    : m_connection(connection)
    , m_rule(std::move(rule))
    , m_inspector(connection)
    , m_wallpaper(connection) {
    xcb_connection_t* c = m_connection.get();
    // The root's own configuration (a monitor removed, the screen resized) is for the stream to
    // judge; the scene follows its children.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                          XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, m_connection.root(), XCB_CW_EVENT_MASK, &mask);
    // Automatic redirection: the server still paints the screen, and every top-level keeps its
    // own pixmap, so a window hidden beneath another can be shown when that one is left out.
    xcb_composite_redirect_subwindows(c, m_connection.root(), XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    m_damage = xcb_generate_id(c);
    xcb_xfixes_create_region(c, m_damage, 0, nullptr);
    m_scratch = xcb_generate_id(c);
    xcb_xfixes_create_region(c, m_scratch, 0, nullptr);
    readInitialTree();
}

X11Scene::~X11Scene() {
    for (auto& [id, window] : m_windows) {
        invalidateContent(window);
        releaseDamage(window);
    }
    xcb_xfixes_destroy_region(m_connection.get(), m_damage);
    xcb_xfixes_destroy_region(m_connection.get(), m_scratch);
    xcb_flush(m_connection.get());
}

void X11Scene::readInitialTree() {
    const auto topLevels = readTopLevels(m_connection);
    if (!topLevels) {
        throw CaptureError(QStringLiteral("The X server did not list its windows"));
    }
    for (const X11TopLevel& topLevel : *topLevels) {
        const xcb_get_geometry_reply_t& geometry = *topLevel.geometry;
        Window& window = add(topLevel.id, /*onTop=*/true);
        window.x = geometry.x;
        window.y = geometry.y;
        window.border = geometry.border_width;
        window.width = geometry.width + 2 * geometry.border_width;
        window.height = geometry.height + 2 * geometry.border_width;
        if (topLevel.attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
            markMapped(window);
        }
    }
}

X11Scene::Window* X11Scene::find(xcb_window_t id) {
    const auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

X11Scene::Window& X11Scene::add(xcb_window_t id, bool onTop) {
    if (Window* existing = find(id)) {
        return *existing;
    }
    Window& window = m_windows[id];
    window.id = id;
    if (onTop) {
        m_stacking.push_back(id);
    } else {
        m_stacking.insert(m_stacking.begin(), id);
    }
    return window;
}

void X11Scene::remove(xcb_window_t id) {
    if (Window* window = find(id)) {
        invalidateContent(*window);
        releaseDamage(*window);
        m_windows.erase(id);
    }
    std::erase(m_stacking, id);
    std::erase(m_pendingOwners, id);
}

void X11Scene::restack(xcb_window_t id, xcb_window_t above) {
    std::erase(m_stacking, id);
    if (above == XCB_WINDOW_NONE) {
        m_stacking.insert(m_stacking.begin(), id);
        return;
    }
    const auto sibling = std::find(m_stacking.begin(), m_stacking.end(), above);
    m_stacking.insert(sibling == m_stacking.end() ? sibling : sibling + 1, id);
}

void X11Scene::invalidateContent(Window& window) {
    xcb_connection_t* c = m_connection.get();
    if (window.picture != XCB_NONE) {
        xcb_render_free_picture(c, window.picture);
        window.picture = XCB_NONE;
    }
    if (window.pixmap != XCB_PIXMAP_NONE) {
        xcb_free_pixmap(c, window.pixmap);
        window.pixmap = XCB_PIXMAP_NONE;
    }
    if (window.shape != XCB_NONE) {
        xcb_xfixes_destroy_region(c, window.shape);
        window.shape = XCB_NONE;
    }
}

void X11Scene::releaseDamage(Window& window) {
    if (window.damage != XCB_NONE) {
        // Fails harmlessly (BadDamage) when the window is gone: its damage went with it.
        xcb_damage_destroy(m_connection.get(), window.damage);
        window.damage = XCB_NONE;
    }
}

void X11Scene::markMapped(Window& window) {
    xcb_connection_t* c = m_connection.get();
    auto attributesCookie = xcb_get_window_attributes(c, window.id);
    auto geometryCookie = xcb_get_geometry(c, window.id);
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, attributesCookie, nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    // Mapped, so on the screen even when it is destroyed by now (its DestroyNotify follows).
    window.viewable = true;
    if (attributes) {
        window.visual = attributes->visual;
        window.inputOnly = attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
        window.overrideRedirect = attributes->override_redirect;
    }
    // The geometry the events gave is the one of the moment they describe; the reply may be
    // later. Only a window that came by reparenting has none yet.
    if (geometry && window.width == 0) {
        window.x = geometry->x;
        window.y = geometry->y;
        window.border = geometry->border_width;
        window.width = geometry->width + 2 * geometry->border_width;
        window.height = geometry->height + 2 * geometry->border_width;
    }
    invalidateContent(window);
    if (window.damage == XCB_NONE && !window.inputOnly) {
        window.damage = xcb_generate_id(c);
        xcb_damage_create(c, window.damage, window.id, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        if (m_connection.shape().present) {
            xcb_shape_select_input(c, window.id, 1);
        }
    }
    window.ownerKnown = false;
    if (std::find(m_pendingOwners.begin(), m_pendingOwners.end(), window.id) ==
        m_pendingOwners.end()) {
        m_pendingOwners.push_back(window.id);
    }
}

void X11Scene::resolvePendingOwners() {
    if (m_pendingOwners.empty()) {
        return;
    }
    const bool needClient = !m_rule.windows.isEmpty() || !m_rule.processIDs.isEmpty();
    const bool needProcess = !m_rule.processIDs.isEmpty();
    if (needProcess) {
        m_inspector.forgetClientProcesses();
    }
    for (const xcb_window_t id : std::exchange(m_pendingOwners, {})) {
        Window* window = find(id);
        if (!window) {
            continue;
        }
        window->client = needClient ? m_inspector.findClient(id) : id;
        window->processID =
            needProcess ? m_inspector.owningProcess(window->client) : std::optional<qint32>();
        window->ownerKnown = true;
    }
    // A window whose owner was unknown was left out; now it may show.
    m_fullDamage = true;
}

bool X11Scene::isExcluded(const Window& window) const {
    const auto named = [&window](const WindowIdSet& set) {
        return set.contains(window.id) ||
               (window.client != XCB_WINDOW_NONE && set.contains(window.client));
    };
    if (named(m_rule.windows)) {
        return true;
    }
    if (m_rule.processIDs.isEmpty() || named(m_rule.exceptingWindows)) {
        return false;
    }
    if (!window.ownerKnown) {
        return true;
    }
    return window.processID && m_rule.processIDs.contains(*window.processID);
}

bool X11Scene::prepare(Window& window) {
    if (window.picture != XCB_NONE) {
        return true;
    }
    const xcb_render_pictformat_t format = m_connection.formatForVisual(window.visual);
    if (format == 0) {
        return false;
    }
    xcb_connection_t* c = m_connection.get();
    window.pixmap = xcb_generate_id(c);
    xcb_composite_name_window_pixmap(c, window.id, window.pixmap);
    window.picture = xcb_generate_id(c);
    const uint32_t includeInferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
    xcb_render_create_picture(c, window.picture, window.pixmap, format,
                              XCB_RENDER_CP_SUBWINDOW_MODE, &includeInferiors);
    window.hasAlpha = m_connection.formatHasAlpha(format);
    if (m_connection.shape().present) {
        // Once per map or resize, not per frame: most windows are plain rectangles.
        XcbReply<xcb_shape_query_extents_reply_t> extents(
            xcb_shape_query_extents_reply(c, xcb_shape_query_extents(c, window.id), nullptr));
        if (extents && extents->bounding_shaped) {
            window.shape = xcb_generate_id(c);
            xcb_xfixes_create_region_from_window(c, window.shape, window.id, XCB_SHAPE_SK_BOUNDING);
        }
    }
    return true;
}

std::vector<const X11Scene::Window*> X11Scene::shownWindows() {
    std::vector<const Window*> shown;
    shown.reserve(m_stacking.size());
    for (const xcb_window_t id : m_stacking) {
        Window* window = find(id);
        if (window && window->viewable && !window->inputOnly && !isExcluded(*window) &&
            prepare(*window)) {
            shown.push_back(window);
        }
    }
    return shown;
}

QRegion X11Scene::hiddenArea() {
    shownWindows();
    QRegion hidden;
    QRegion covered;
    for (auto it = m_stacking.rbegin(); it != m_stacking.rend(); ++it) {
        const Window* window = find(*it);
        if (!window || !window->viewable || window->inputOnly) {
            continue;
        }
        const QRect frame(window->x, window->y, window->width, window->height);
        if (isExcluded(*window)) {
            hidden += QRegion(frame).subtracted(covered);
        } else if (window->picture != XCB_NONE && !window->hasAlpha && window->shape == XCB_NONE) {
            covered += frame;
        }
    }
    return hidden;
}

xcb_render_picture_t X11Scene::wallpaper() {
    return m_wallpaper.picture();
}

bool X11Scene::handleEvent(const xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & ~0x80;
    if (type == m_connection.damage().firstEvent + XCB_DAMAGE_NOTIFY) {
        // Take the window's new damage (which re-arms its reports) and, when the picture shows
        // the window, add it to the frame's damage, in root coordinates.
        const auto* e = reinterpret_cast<const xcb_damage_notify_event_t*>(event);
        xcb_connection_t* c = m_connection.get();
        xcb_damage_subtract(c, e->damage, XCB_NONE, m_scratch);
        const Window* window = find(e->drawable);
        if (!window || !window->viewable || isExcluded(*window) ||
            e->drawable == m_wallpaper.helperWindow()) {
            return false;
        }
        xcb_xfixes_translate_region(c, m_scratch, window->x + window->border,
                                    window->y + window->border);
        xcb_xfixes_union_region(c, m_damage, m_scratch, m_damage);
        return true;
    }
    if (handleStructureEvent(event)) {
        m_fullDamage = true;
        return true;
    }
    return false;
}

void X11Scene::addDamage(xcb_xfixes_region_t region) {
    xcb_xfixes_union_region(m_connection.get(), m_damage, region, m_damage);
}

void X11Scene::clearDamage() {
    xcb_xfixes_set_region(m_connection.get(), m_damage, 0, nullptr);
    m_fullDamage = false;
}

bool X11Scene::handleStructureEvent(const xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & ~0x80;
    const xcb_window_t root = m_connection.root();
    // A left-out window counts too: where it was and where it goes change what the screen
    // itself shows, and live frames copy the screen.
    const auto onScreen = [](const Window* window) {
        return window && window->viewable;
    };
    switch (type) {
        case XCB_CREATE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_create_notify_event_t*>(event);
            if (e->parent == root) {
                Window& window = add(e->window, /*onTop=*/true);
                window.x = e->x;
                window.y = e->y;
                window.border = e->border_width;
                window.width = e->width + 2 * e->border_width;
                window.height = e->height + 2 * e->border_width;
                window.overrideRedirect = e->override_redirect;
            }
            return false;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            const bool wasOnScreen = onScreen(find(e->window));
            remove(e->window);
            return wasOnScreen;
        }
        case XCB_REPARENT_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
            if (e->parent == root) {
                Window& window = add(e->window, /*onTop=*/true);
                window.x = e->x;
                window.y = e->y;
                return false;  // shown once mapped
            }
            const bool wasOnScreen = onScreen(find(e->window));
            remove(e->window);
            return wasOnScreen;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            Window* window = e->event == root ? find(e->window) : nullptr;
            if (!window) {
                return false;
            }
            const int width = e->width + 2 * e->border_width;
            const int height = e->height + 2 * e->border_width;
            if (width != window->width || height != window->height ||
                e->border_width != window->border) {
                // The old pixmap keeps the old size: name the window's new one.
                invalidateContent(*window);
            }
            window->x = e->x;
            window->y = e->y;
            window->width = width;
            window->height = height;
            window->border = e->border_width;
            window->overrideRedirect = e->override_redirect;
            restack(e->window, e->above_sibling);
            return onScreen(window);
        }
        case XCB_MAP_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            Window* window = e->event == root ? find(e->window) : nullptr;
            if (window) {
                markMapped(*window);
            }
            return window != nullptr;
        }
        case XCB_UNMAP_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
            Window* window = e->event == root ? find(e->window) : nullptr;
            if (!window) {
                return false;
            }
            const bool wasOnScreen = onScreen(window);
            window->viewable = false;
            invalidateContent(*window);
            releaseDamage(*window);
            return wasOnScreen;
        }
        case XCB_CIRCULATE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_circulate_notify_event_t*>(event);
            if (!find(e->window)) {
                return false;
            }
            std::erase(m_stacking, e->window);
            if (e->place == XCB_PLACE_ON_TOP) {
                m_stacking.push_back(e->window);
            } else {
                m_stacking.insert(m_stacking.begin(), e->window);
            }
            return onScreen(find(e->window));
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (e->window == root &&
                (e->atom == m_connection.atom(XcbConnection::kXRootPmapId) ||
                 e->atom == m_connection.atom(XcbConnection::kEsetrootPmapId))) {
                m_wallpaper.drop();
                return true;
            }
            return false;
        }
        default:
            break;
    }
    if (m_connection.shape().present &&
        type == m_connection.shape().firstEvent + XCB_SHAPE_NOTIFY) {
        const auto* e = reinterpret_cast<const xcb_shape_notify_event_t*>(event);
        Window* window = find(e->affected_window);
        if (window && window->shape != XCB_NONE) {
            invalidateContent(*window);
        }
        return onScreen(window);
    }
    return false;
}
